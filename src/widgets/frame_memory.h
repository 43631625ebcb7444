#pragma once
// The outer size of a top-level window, its frame included, also while the window is hidden.
// While it is shown the window manager tells the frame; when it hides the window it takes the
// frame away, and the window then reports its inner area alone (at the frame's corner). The
// frame seen last stands in for it, so that a hidden window measures as it did when shown.

#include <QMargins>
#include <QObject>
#include <QSize>
#include <optional>

class QWidget;

namespace lp {

class FrameMemory : public QObject {
public:
    // Watches window, and lives as its child.
    explicit FrameMemory(QWidget& window);

    // The outer size: the frame as shown now, else the window's size with the frame last seen;
    // nothing while the window has never been shown in this run.
    std::optional<QSize> outerSize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Keeps the frame of the window while it is shown.
    void remember();

    QWidget& window_;
    std::optional<QMargins> frame_;
};

} // namespace lp
