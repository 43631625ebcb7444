#include "platform/entry_status.h"

#include <sys/stat.h>

namespace lp::platform {

EntryStatus ExamineEntry(const std::string& path) {
    EntryStatus status;
    struct stat entry {};
    if (::lstat(path.c_str(), &entry) != 0)
        return status;
    status.exists = true;
    status.isFolder = S_ISDIR(entry.st_mode);
    struct stat reached {};
    if (::stat(path.c_str(), &reached) != 0)
        return status; // a link that leads nowhere
    status.leadsTo = S_ISREG(reached.st_mode)   ? PathLeadsTo::File
                     : S_ISDIR(reached.st_mode) ? PathLeadsTo::Folder
                                                : PathLeadsTo::Other;
    status.device = static_cast<std::uint64_t>(reached.st_dev);
    status.inode = static_cast<std::uint64_t>(reached.st_ino);
    return status;
}

} // namespace lp::platform
