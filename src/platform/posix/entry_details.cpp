#include "entry_details.h"
#include "platform/local_time.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

namespace lp::platform::posix {

namespace {

// Saturates beyond the nearly 300 years either side of 1970 that the count holds.
std::int64_t nanosecondsSinceEpoch(const timespec& time) {
    constexpr std::int64_t kPerSecond = 1'000'000'000;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / kPerSecond - 1;
    const std::int64_t seconds = std::clamp<std::int64_t>(time.tv_sec, -kLimit, kLimit);
    return seconds * kPerSecond + time.tv_nsec;
}

} // namespace

Examined ReadEntryDetails(int folderFd, const char* name, FolderEntry& entry) {
    // Follows a link to what it names, as a file manager shows it; a link that leads nowhere (or
    // round in a circle) is described as the link itself.
    struct stat status {};
    struct stat itself {};
    if (::fstatat(folderFd, name, &itself, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Examined::Vanished : Examined::Failed;
    if (!S_ISLNK(itself.st_mode) || ::fstatat(folderFd, name, &status, 0) != 0)
        status = itself;
    entry.isFolder = S_ISDIR(status.st_mode);
    entry.size = entry.isFolder ? 0 : static_cast<std::int64_t>(status.st_size);
    entry.date = FileTimeToLocalDateTime(status.st_mtim.tv_sec);
    entry.writeInstant = nanosecondsSinceEpoch(status.st_mtim);
    entry.watchable = S_ISREG(itself.st_mode) && itself.st_nlink == 1;
    entry.plainFile = S_ISREG(itself.st_mode);
    return Examined::Done;
}

} // namespace lp::platform::posix
