#include "test_display.h"

#include <X11/Xlib.h>

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <algorithm>
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

// Starts args[0] with its output thrown away (it would keep a reader of the test's output
// waiting for as long as it runs), with fd 3 leading to channel when there is one. -1 on failure.
pid_t spawnQuietly(std::vector<std::string> args, const std::vector<std::string>& extraEnv,
                   int channel) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (channel >= 0)
        posix_spawn_file_actions_adddup2(&actions, channel, 3);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = extraEnv;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(extraEnv.begin(), extraEnv.end(),
                         [&](const std::string& x) { return x.rfind(name, 0) == 0; }))
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

void stop(pid_t& pid) {
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

// A shown window named title among the descendants of parent, depth levels down at most, or 0.
// A window manager puts each window into a frame of its own, so the search goes down the tree.
Window findShown(Display* display, Window parent, const std::string& title, int depth) {
    Window root = 0, above = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &above, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable)
            continue;
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            if (title == name)
                found = children[i];
            XFree(name);
        }
        if (found == 0 && depth > 0)
            found = findShown(display, children[i], title, depth - 1);
    }
    if (children != nullptr)
        XFree(children);
    return found;
}

// Windows come and go while the tests look at them: a request about one that has just gone fails,
// and the look finds nothing, where Xlib's own handler would end the test program.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

TestDisplay::TestDisplay(Frames frames) : wantsManager_(frames == Frames::WindowManager) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return;
    server_ =
        spawnQuietly({"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                     {}, pipeFds[1]);
    ::close(pipeFds[1]);
    const std::string number = server_ > 0 ? readDisplayNumber(pipeFds[0]) : std::string();
    ::close(pipeFds[0]);
    if (number.empty())
        return;
    name_ = ":" + number;
    XSetErrorHandler(ignoreError);
    display_ = XOpenDisplay(name_.c_str());
    if (display_ == nullptr)
        return;
    takeTraySelection();
    if (wantsManager_)
        startWindowManager();
}

void TestDisplay::startWindowManager() {
    manager_ = spawnQuietly({"openbox"}, {"DISPLAY=" + name_}, -1);
    if (manager_ <= 0)
        return;
    // It manages the screen once it owns the window manager's selection.
    const Atom selection = XInternAtom(display_, "WM_S0", False);
    for (int tries = 0; tries < 3000 && XGetSelectionOwner(display_, selection) == None; ++tries) {
        if (::waitpid(manager_, nullptr, WNOHANG) == manager_) {
            manager_ = -1;
            return;
        }
        ::usleep(20000); // only a guard against a manager that never comes up
    }
    if (XGetSelectionOwner(display_, selection) == None)
        stop(manager_);
}

TestDisplay::~TestDisplay() {
    stop(manager_);
    if (display_ != nullptr)
        XCloseDisplay(display_);
    stop(server_);
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
    // A client is a child of the root, or of the window manager's frame (or of a part of it).
    return findShown(display_, DefaultRootWindow(display_), title, 2);
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

std::optional<ScreenBox> TestDisplay::frameAround(XWindow window) {
    const Window rootWindow = DefaultRootWindow(display_);
    Window outermost = window;
    for (;;) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display_, outermost, &root, &parent, &children, &count))
            return std::nullopt;
        if (children != nullptr)
            XFree(children);
        if (parent == rootWindow || parent == 0)
            break;
        outermost = parent;
    }
    if (outermost == window)
        return std::nullopt; // not framed (yet)
    Window root = 0;
    int x = 0, y = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display_, outermost, &root, &x, &y, &width, &height, &border, &depth))
        return std::nullopt;
    // x and y are the outer corner, the border included; width and height are within it.
    return ScreenBox{x, y, static_cast<int>(width + 2 * border),
                     static_cast<int>(height + 2 * border)};
}

} // namespace lp::test
