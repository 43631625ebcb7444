#include "platform/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace lp::platform {

namespace {

// $variable when it is an absolute path, otherwise the home folder followed by underHome.
std::string xdgFolder(const char* variable, const char* underHome) {
    if (const char* xdg = std::getenv(variable); xdg != nullptr && xdg[0] == '/')
        return xdg;
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/')
        home = env;
    else if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir)
        home = entry->pw_dir;
    if (home.empty())
        return {};
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return (home == "/" ? std::string() : home) + underHome;
}

} // namespace

std::string UserConfigFolder() {
    return xdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string UserStateFolder() {
    return xdgFolder("XDG_STATE_HOME", "/.local/state");
}

bool FolderWritable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace lp::platform
