#include "platform/removal_permission.h"

#include "posix_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

std::error_code ForeseeRemovalRefusal(const std::string& path) {
    const std::string folder = posix::folderOf(path);
    struct stat folderStatus {};
    if (::stat(folder.c_str(), &folderStatus) != 0)
        return {}; // a folder that is gone is for the operation to tell
    // The effective user decides, as it does for the rename or unlink that follows; a read-only
    // mount answers even root.
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        return posix::lastError();
    // In a folder with the sticky bit (a shared one like /tmp) only the entry's owner, the
    // folder's owner or root may take an entry out.
    const uid_t user = ::geteuid();
    struct stat entry {};
    if ((folderStatus.st_mode & S_ISVTX) != 0 && user != 0 && folderStatus.st_uid != user &&
        ::lstat(path.c_str(), &entry) == 0 && entry.st_uid != user)
        return std::make_error_code(std::errc::operation_not_permitted);
    return {};
}

} // namespace lp::platform
