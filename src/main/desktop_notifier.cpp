#include "desktop_notifier.h"

#include "log_category.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace lp {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The action a click on the notification itself invokes.
const QString kDefaultAction = QStringLiteral("default");

std::optional<QDBusConnection>& busOverride() {
    static std::optional<QDBusConnection> bus;
    return bus;
}

// The service may read the body as markup: a file named "a<b>&c" is shown as named. Only what
// markup would take for its own is escaped, so that a service that shows the body as it is shows
// the usual name unchanged.
QString asMarkup(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
        .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
        .replace(QLatin1Char('>'), QStringLiteral("&gt;"));
}

} // namespace

QDBusConnection notificationBus() {
    if (busOverride())
        return *busOverride();
    return QDBusConnection::sessionBus();
}

void setNotificationBusForTests(std::optional<QDBusConnection> bus) {
    busOverride() = std::move(bus);
}

void DesktopNotifier::show(const QString& title, const QString& body, bool failure,
                           std::function<void()> clicked, std::function<void()> unavailable) {
    QDBusConnection bus = notificationBus();
    if (!bus.isConnected()) {
        unavailable();
        return;
    }
    listen(bus);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    // 1 is normal, 2 critical: a failure stays until the user has seen it.
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(failure ? 2 : 1)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("larchpost"));
    call << QStringLiteral("Larchpost") << uint(0) << QStringLiteral("larchpost") << title
         << asMarkup(body) << QStringList{kDefaultAction, QStringLiteral("Show in Activity")}
         << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, clicked = std::move(clicked),
             unavailable = std::move(unavailable)](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<uint> reply = *answered;
                if (reply.isError()) {
                    qCInfo(lcMain).noquote() << "the desktop's notification service did not "
                                                "show the notification:"
                                             << reply.error().message();
                    unavailable();
                    return;
                }
                shown_[reply.value()] = clicked;
            });
}

void DesktopNotifier::listen(QDBusConnection& bus) {
    if (listening_)
        return;
    // By the service's name: the signals are heard from whichever program owns it, also one
    // started after this.
    listening_ = bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                             SLOT(actionInvoked(uint, QString))) &&
                 bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"),
                             this, SLOT(notificationClosed(uint, uint)));
}

void DesktopNotifier::actionInvoked(uint id, const QString& action) {
    const auto found = shown_.find(id);
    if (found == shown_.end() || action != kDefaultAction)
        return; // another program's notification, or an action we did not offer
    found->second();
}

void DesktopNotifier::notificationClosed(uint id, uint /*reason*/) {
    shown_.erase(id);
}

} // namespace lp
