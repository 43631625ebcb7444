#include "platform/folder_device.h"

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace lp::platform {

std::optional<RealFolder> RealFolderAt(const std::string& path, bool followLink) {
    struct statx status {};
    const int flags = followLink ? 0 : AT_SYMLINK_NOFOLLOW;
    if (::statx(AT_FDCWD, path.c_str(), flags, STATX_TYPE | STATX_INO, &status) != 0 ||
        !S_ISDIR(status.stx_mode))
        return std::nullopt;
    return RealFolder{
        static_cast<std::uint64_t>(makedev(status.stx_dev_major, status.stx_dev_minor)),
        static_cast<std::uint64_t>(status.stx_ino),
        (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
            (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0};
}

bool TooLongToExamine(const std::string& path) {
    return path.size() >= PATH_MAX;
}

} // namespace lp::platform
