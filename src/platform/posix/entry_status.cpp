#include "platform/entry_status.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace lp::platform {

namespace {

// The mount, where the system tells it: a rename fails between two mounts of one device too.
// Elsewhere the device, which tells apart all but those.
std::uint64_t volumeOf(const struct statx& status) {
    if ((status.stx_mask & STATX_MNT_ID) != 0)
        return status.stx_mnt_id;
    return static_cast<std::uint64_t>(makedev(status.stx_dev_major, status.stx_dev_minor));
}

bool examine(const std::string& path, int flags, struct statx& status) {
    return ::statx(AT_FDCWD, path.c_str(), flags, STATX_TYPE | STATX_INO | STATX_MNT_ID, &status) ==
           0;
}

} // namespace

EntryStatus ExamineEntry(const std::string& path) {
    EntryStatus status;
    struct statx entry {};
    if (!examine(path, AT_SYMLINK_NOFOLLOW, entry)) {
        status.nameTooLong = errno == ENAMETOOLONG;
        return status;
    }
    status.exists = true;
    status.isFolder = S_ISDIR(entry.stx_mode);
    status.isSpecial =
        !S_ISDIR(entry.stx_mode) && !S_ISREG(entry.stx_mode) && !S_ISLNK(entry.stx_mode);
    struct statx reached {};
    if (!examine(path, 0, reached))
        return status; // a link that leads nowhere
    status.leadsTo = S_ISREG(reached.stx_mode)   ? PathLeadsTo::File
                     : S_ISDIR(reached.stx_mode) ? PathLeadsTo::Folder
                                                 : PathLeadsTo::Other;
    status.device =
        static_cast<std::uint64_t>(makedev(reached.stx_dev_major, reached.stx_dev_minor));
    status.inode = reached.stx_ino;
    status.volume = volumeOf(reached);
    return status;
}

} // namespace lp::platform
