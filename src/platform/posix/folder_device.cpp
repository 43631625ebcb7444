#include "platform/folder_device.h"

#include <sys/stat.h>

namespace lp::platform {

std::optional<RealFolder> RealFolderAt(const std::string& path, bool followLink) {
    struct stat status {};
    const int result = followLink ? ::stat(path.c_str(), &status) : ::lstat(path.c_str(), &status);
    if (result != 0 || !S_ISDIR(status.st_mode))
        return std::nullopt;
    return RealFolder{static_cast<std::uint64_t>(status.st_dev),
                      static_cast<std::uint64_t>(status.st_ino)};
}

} // namespace lp::platform
