#pragma once
// A private X server (Xvfb) for the session tests, with what a desktop offers around it: an owner
// of the notification area's selection, so that the program counts the tray as there, and the
// window manager's one message the tests need, the close box's request. On request a real window
// manager (openbox) runs there too, putting frames around the windows.

#include <optional>
#include <ostream>
#include <string>
#include <sys/types.h>

struct _XDisplay; // Xlib's display; its header stays out of the tests, whose names it would take

namespace lp::test {

using XWindow = unsigned long; // Xlib's Window

// A window's outer rectangle on the screen.
struct ScreenBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenBox&) const = default;
};

inline void PrintTo(const ScreenBox& box, std::ostream* out) {
    *out << box.width << "x" << box.height << " at " << box.left << "," << box.top;
}

class TestDisplay {
public:
    enum class Frames { None, WindowManager };
    explicit TestDisplay(Frames frames = Frames::None);
    ~TestDisplay();
    TestDisplay(const TestDisplay&) = delete;
    TestDisplay& operator=(const TestDisplay&) = delete;

    // The server runs, and the window manager when one was asked for.
    bool running() const { return display_ != nullptr && (!wantsManager_ || manager_ > 0); }
    // The value of DISPLAY that leads a client here.
    const std::string& name() const { return name_; }

    // The top-level window titled title that is shown, or 0.
    XWindow shownWindow(const std::string& title);
    // Whether a top-level window titled title exists and is shown.
    bool shown(const std::string& title) { return shownWindow(title) != 0; }
    // What the close box sends: the window manager's request to close window.
    void pressCloseBox(XWindow window);
    // The frame the window manager has put around window, once it has; nothing before.
    std::optional<ScreenBox> frameAround(XWindow window);

private:
    void takeTraySelection();
    void startWindowManager();

    bool wantsManager_ = false;
    pid_t server_ = -1;
    pid_t manager_ = -1;
    std::string name_;
    _XDisplay* display_ = nullptr;
    XWindow trayOwner_ = 0;
};

} // namespace lp::test
