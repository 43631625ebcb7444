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
using posix::renameNoReplace;
using posix::syncFolder;

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
