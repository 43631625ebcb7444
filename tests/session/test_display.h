#pragma once
// A private X server (Xvfb) for the session tests, with what a desktop offers around it: an owner
// of the notification area's selection, so that the program counts the tray as there, and the
// window manager's one message the tests need, the close box's request.

#include <string>
#include <sys/types.h>

struct _XDisplay; // Xlib's display; its header stays out of the tests, whose names it would take

namespace lp::test {

using XWindow = unsigned long; // Xlib's Window

class TestDisplay {
public:
    TestDisplay();
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    bool running() const { return display_ != nullptr; }
    // The value of DISPLAY that leads a client here.
    const std::string& name() const { return name_; }

    // The top-level window titled title that is shown, or 0.
    XWindow shownWindow(const std::string& title);
    // Whether a top-level window titled title exists and is shown.
    bool shown(const std::string& title) { return shownWindow(title) != 0; }
    // What the close box sends: the window manager's request to close window.
    void pressCloseBox(XWindow window);

private:
    void takeTraySelection();

    pid_t server_ = -1;
    std::string name_;
    _XDisplay* display_ = nullptr;
    XWindow trayOwner_ = 0;
};

} // namespace lp::test
