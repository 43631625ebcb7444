#include "test_display.h"

#include <X11/Xlib.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace lp::test {

namespace {

// Reads the display number Xvfb writes to fd once it accepts connections.
std::string readDisplayNumber(int fd) {
    std::string number;
    char c = 0;
    pollfd ready{fd, POLLIN, 0};
    // Only a guard against a server that never comes up.
    while (::poll(&ready, 1, 60000) > 0 && ::read(fd, &c, 1) == 1 && c != '\n')
        number += c;
    return number;
}

} // namespace

TestDisplay::TestDisplay() {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 3);
    // Its output would keep a reader of the test's output waiting for as long as it runs.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args{"Xvfb", "-displayfd", "3", "-nolisten",
                                  "tcp",  "-screen",    "0", "1024x768x24"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawnp(&server_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        server_ = -1;
        ::close(pipeFds[0]);
        return;
    }
    const std::string number = readDisplayNumber(pipeFds[0]);
    ::close(pipeFds[0]);
    if (number.empty())
        return;
    name_ = ":" + number;
    display_ = XOpenDisplay(name_.c_str());
    if (display_ != nullptr)
        takeTraySelection();
}

TestDisplay::~TestDisplay() {
    if (display_ != nullptr)
        XCloseDisplay(display_);
    if (server_ > 0) {
        ::kill(server_, SIGTERM);
        ::waitpid(server_, nullptr, 0);
    }
}

void TestDisplay::takeTraySelection() {
    const int screen = DefaultScreen(display_);
    trayOwner_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 1, 1, 0, 0, 0);
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    XSetSelectionOwner(display_, XInternAtom(display_, selection.c_str(), False), trayOwner_,
                       CurrentTime);
    XSync(display_, False);
}

XWindow TestDisplay::shownWindow(const std::string& title) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        char* name = nullptr;
        if (XFetchName(display_, children[i], &name) && name != nullptr) {
            if (title == name)
                found = children[i];
            XFree(name);
        }
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

void TestDisplay::pressCloseBox(XWindow window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
}

} // namespace lp::test
