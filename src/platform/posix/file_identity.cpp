#include "platform/file_identity.h"

#include <sys/stat.h>

namespace lp::platform {

std::optional<FileIdentity> IdentifyFile(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode))
        return std::nullopt;
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return FileIdentity{
        static_cast<std::uint64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * kNsPerSecond + status.st_mtim.tv_nsec,
        static_cast<std::uint64_t>(status.st_dev),
        static_cast<std::uint64_t>(status.st_ino),
    };
}

} // namespace lp::platform
