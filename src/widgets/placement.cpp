#include "placement.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace lp {

QPoint placeOverMainWindow(const QRect& m, const QSize& d, const QSize& screen) {
    int left = m.left() + 10;
    if (m.left() + m.width() / 2 + d.width() / 2 < screen.width() && d.width() < m.width())
        left = m.left() + m.width() / 2 - d.width() / 2 + 10;
    int top = m.top() + 10;
    if (m.top() + m.height() / 2 + d.height() / 2 < screen.height() && d.height() < m.height())
        top = m.top() + m.height() / 2 - d.height() / 2;
    return {left, top};
}

QPoint placeAtCursor(const QPoint& cursor, const QSize& d) {
    return {cursor.x() - d.width() / 2, cursor.y() - d.height() / 2};
}

namespace {

QWidget* mainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmMain"))
            return w;
    return nullptr;
}

// The dialog's outer size, its frame included. A dialog not yet shown has no frame yet; the
// desktop gives it the frame it gives the main window, title bar and borders alike.
QSize outerSize(const QWidget& dialog) {
    if (dialog.isVisible())
        return dialog.frameGeometry().size();
    const QWidget* main = mainWindow();
    if (main == nullptr || !main->isVisible())
        return dialog.size();
    const QSize frame = main->frameGeometry().size() - main->geometry().size();
    return dialog.size() + frame;
}

} // namespace

void placeDialogOverMainWindow(QWidget& dialog) {
    QWidget* main = mainWindow();
    if (main == nullptr || main == &dialog)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    // A window's position is its frame's, so the outer size goes in as well.
    dialog.move(placeOverMainWindow(main->frameGeometry(), outerSize(dialog), screenSize));
}

void placeDialogAtCursor(QWidget& dialog) {
    dialog.move(placeAtCursor(QCursor::pos(), outerSize(dialog)));
}

namespace {
// Room for a title bar and frame, which the window does not know before it is shown.
constexpr int kFrameAllowance = 48;
const QSize kFrameRoom(kFrameAllowance / 4, kFrameAllowance);
} // namespace

QSize sizeWithinScreen(const QSize& wanted, const QSize& available) {
    const QSize room(std::max(available.width() - kFrameRoom.width(), 1),
                     std::max(available.height() - kFrameRoom.height(), 1));
    return wanted.boundedTo(room);
}

QPoint pointWithinScreen(const QPoint& wanted, const QSize& size, const QRect& available) {
    const QSize outer = size + kFrameRoom;
    // The left and top edges win over the right and bottom ones: the title bar stays reachable.
    const int x =
        std::max(available.left(),
                 std::min(wanted.x(), available.left() + available.width() - outer.width()));
    const int y =
        std::max(available.top(),
                 std::min(wanted.y(), available.top() + available.height() - outer.height()));
    return {x, y};
}

void fitWindowOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    window.resize(sizeWithinScreen(window.size(), area.size()).expandedTo(window.minimumSize()));
}

void moveWithinScreen(QWidget& window, const QPoint& wanted) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    window.move(screen == nullptr
                    ? wanted
                    : pointWithinScreen(wanted, window.size(), screen->availableGeometry()));
}

} // namespace lp
