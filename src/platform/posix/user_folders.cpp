#include "platform/user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace lp::platform {

std::string UserConfigFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
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
    return (home == "/" ? std::string() : home) + "/.config";
}

bool FolderWritable(const std::string& folder) {
    return !folder.empty() && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

} // namespace lp::platform
