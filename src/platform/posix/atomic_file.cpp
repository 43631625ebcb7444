#include "platform/atomic_file.h"

#include "posix_support.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

using posix::folderOf;
using posix::lastError;

std::error_code writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// Makes the rename itself durable. A folder that cannot be synced (some file systems refuse)
// does not undo a replacement that has already happened, so its failure is not reported.
void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Renames without ever replacing the target; falls back to link + unlink where the file system
// does not offer the no-replace rename.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    if (::link(from.c_str(), to.c_str()) != 0)
        return -1;
    ::unlink(from.c_str());
    return 0;
}

} // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view content) {
    std::string temp = path + ".tmpXXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return lastError();

    std::error_code error;
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0)
        error = lastError();
    if (!error)
        error = writeAll(fd, content);
    if (!error && ::fsync(fd) != 0)
        error = lastError();
    if (::close(fd) != 0 && !error)
        error = lastError();
    if (!error && ::rename(temp.c_str(), path.c_str()) != 0)
        error = lastError();
    if (error) {
        ::unlink(temp.c_str());
        return error;
    }
    syncFolder(folderOf(path));
    return {};
}

std::error_code SetFileAside(const std::string& path, std::string& keptAs) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return lastError();
    // Bounded so that a folder full of kept files cannot keep us searching for ever.
    for (int n = 0; n < 10000; ++n) {
        std::string candidate = path + ".bad" + (n == 0 ? std::string() : std::to_string(n));
        if (renameNoReplace(path, candidate) == 0) {
            keptAs = std::move(candidate);
            syncFolder(folderOf(path));
            return {};
        }
        if (errno != EEXIST)
            return lastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

} // namespace lp::platform
