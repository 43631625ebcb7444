#include "platform/held_folder.h"
#include "file_descriptor.h"

#include <array>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

// The kernel's own name of an open folder: it leads to that folder whatever its path becomes.
constexpr std::string_view kHeldPrefix = "/proc/self/fd/";

bool mountedOn(int folder) {
    struct statx status {};
    return ::statx(folder, "", AT_EMPTY_PATH, STATX_TYPE, &status) != 0 ||
           ((status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
            (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0);
}

} // namespace

HeldFolder::~HeldFolder() {
    if (handle_ >= 0)
        ::close(handle_);
}

std::optional<HeldFolder> HoldSubFolder(const std::string& top, std::string_view below) {
    // The watched folder itself may be reached through a link.
    posix::FileDescriptor folder(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        return std::nullopt;
    while (!below.empty()) {
        const auto slash = below.find('/');
        const std::string name(below.substr(0, slash));
        // O_NOFOLLOW: a link standing at the name fails the open.
        const int next =
            ::openat(folder.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return std::nullopt;
        folder.reset(next);
        if (mountedOn(folder.get()))
            return std::nullopt;
        below = slash == std::string_view::npos ? std::string_view{} : below.substr(slash + 1);
    }
    const int handle = ::dup(folder.get());
    if (handle < 0)
        return std::nullopt;
    return HeldFolder(handle, std::string(kHeldPrefix) + std::to_string(handle));
}

std::string LastingPath(const std::string& path) {
    if (!path.starts_with(kHeldPrefix))
        return path;
    const auto slash = path.find('/', kHeldPrefix.size());
    std::array<char, 4096> folder{};
    const ssize_t length = ::readlink(path.substr(0, slash).c_str(), folder.data(), folder.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= folder.size())
        return path;
    return std::string(folder.data(), static_cast<std::size_t>(length)) +
           (slash == std::string::npos ? "" : path.substr(slash));
}

} // namespace lp::platform
