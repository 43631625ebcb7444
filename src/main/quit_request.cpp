#include "quit_request.h"

#include <QCoreApplication>
#include <QEvent>

namespace lp {

namespace {

// An application-wide filter sees every event of every object first, so it only compares.
class QuitRequestWatcher : public QObject {
public:
    QuitRequestWatcher(QCoreApplication& application, QObject& owner, std::function<void()> onQuit)
        : QObject(&owner), application_(&application), onQuit_(std::move(onQuit)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit && watched == application_ && onQuit_)
            onQuit_();
        return false;
    }

private:
    QObject* application_;
    std::function<void()> onQuit_;
};

} // namespace

void watchForQuitRequest(QCoreApplication& application, QObject& owner,
                         std::function<void()> onQuit) {
    // Destroyed with its owner, which also takes it off the application's filters.
    application.installEventFilter(new QuitRequestWatcher(application, owner, std::move(onQuit)));
}

} // namespace lp
