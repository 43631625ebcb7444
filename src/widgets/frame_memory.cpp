#include "frame_memory.h"

#include <QEvent>
#include <QWidget>

namespace lp {

FrameMemory::FrameMemory(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
}

std::optional<QSize> FrameMemory::outerSize() {
    remember();
    if (!frame_)
        return std::nullopt;
    return window_.size().grownBy(*frame_);
}

bool FrameMemory::eventFilter(QObject* watched, QEvent* event) {
    // The frame comes with the window manager's first placement, a move or a resize; a hide
    // arrives while the frame is still there, before the window manager takes it away.
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        remember();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void FrameMemory::remember() {
    const QRect outer = window_.frameGeometry();
    const QRect inner = window_.geometry();
    // A hidden window whose frame has gone (or that was never shown) reports its inner area
    // alone: the last frame stays. A shown one may have none at all, without a window manager.
    if (!window_.isVisible() && outer == inner)
        return;
    frame_ = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                      outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

} // namespace lp
