#include "platform/app_path.h"

#include <filesystem>
#include <system_error>

namespace lp::platform {

std::string ApplicationFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    std::string folder = exe.parent_path().string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace lp::platform
