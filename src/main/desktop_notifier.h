#pragma once
// The desktop's notification service (org.freedesktop.Notifications on the session bus): it
// shows a notification whether or not there is a notification area, keeps it in the desktop's
// history and tells which one the user clicked. Every call is asynchronous: a session without the
// service, or without a bus, never holds up the window's thread.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>

namespace lp {

// The bus the notifications go to: the session bus, unless tests name another.
QDBusConnection notificationBus();
void setNotificationBusForTests(std::optional<QDBusConnection> bus);

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Asks the service to show the notification. A click on it runs clicked. When there is no
    // session bus or no service answers, unavailable runs instead: at once without a bus, else
    // once the bus has said so.
    void show(const QString& title, const QString& body, bool failure,
              std::function<void()> clicked, std::function<void()> unavailable);

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    void listen(QDBusConnection& bus);

    bool listening_ = false;
    std::map<uint, std::function<void()>> shown_; // by the service's id, until it is closed
};

} // namespace lp
