#include "entry_details.h"
#include "platform/local_time.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace lp::platform::posix {

Examined ReadEntryDetails(int folderFd, const char* name, FolderEntry& entry) {
    // Follows a link to what it names, as a file manager shows it; a link that leads nowhere (or
    // round in a circle) is described as the link itself.
    struct stat status {};
    struct stat itself {};
    if (::fstatat(folderFd, name, &itself, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Examined::Vanished : Examined::Failed;
    if (!S_ISLNK(itself.st_mode))
        status = itself;
    else if (::fstatat(folderFd, name, &status, 0) != 0)
        status = itself;
    entry.isFolder = S_ISDIR(status.st_mode);
    entry.size = entry.isFolder ? 0 : static_cast<std::int64_t>(status.st_size);
    entry.date = FileTimeToLocalDateTime(status.st_mtim.tv_sec);
    entry.watchable = S_ISREG(itself.st_mode) && itself.st_nlink == 1;
    return Examined::Done;
}

} // namespace lp::platform::posix
