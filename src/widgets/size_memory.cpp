#include "size_memory.h"

#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "placement.h"

#include <QEvent>
#include <QWidget>

namespace lp {

namespace {

const QString kWindowsKey = QStringLiteral("Software/Larchpost/Windows");

// Keeps the size of a shown, normal window; a maximised one says nothing of the size chosen.
class SizeKeeper : public QObject {
public:
    SizeKeeper(QWidget& window, QString name)
        : QObject(&window), window_(window), name_(std::move(name)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_)
            return false;
        if (event->type() == QEvent::Resize && window_.isVisible() &&
            !(window_.windowState() &
              (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))) {
            const QSize size = window_.size();
            settingsStore().set(kWindowsKey, name_,
                                QStringLiteral("%1,%2").arg(size.width()).arg(size.height()));
        } else if (event->type() == QEvent::Hide) {
            // Not being able to keep a size is no reason to trouble the user: the window then
            // opens at its designed size.
            settingsStore().flush();
        }
        return false;
    }

private:
    QWidget& window_;
    QString name_;
};

} // namespace

std::optional<QSize> storedWindowSize(const QString& name) {
    const std::optional<QVariant> value = settingsStore().read(kWindowsKey, name);
    if (!value)
        return std::nullopt;
    const QStringList parts = value->toString().split(QLatin1Char(','));
    if (parts.size() != 2)
        return std::nullopt;
    bool wideOk = false;
    bool highOk = false;
    const QSize size(parts[0].trimmed().toInt(&wideOk), parts[1].trimmed().toInt(&highOk));
    if (!wideOk || !highOk || size.width() <= 0 || size.height() <= 0)
        return std::nullopt;
    return size;
}

void rememberWindowSize(QWidget& window, const QString& name) {
    if (const std::optional<QSize> stored = storedWindowSize(name))
        window.resize(stored->expandedTo(window.minimumSize()));
    fitWindowOnScreen(window);
    window.installEventFilter(new SizeKeeper(window, name));
}

} // namespace lp
