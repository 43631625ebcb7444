#include "platform/atomic_file.h"

#include "posix_support.h"

#include <cerrno>
#include <climits>
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

constexpr mode_t kPrivateMode = S_IRUSR | S_IWUSR;

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

// The file that path finally names. Replacing a link itself would cut it off from the file the
// user keeps elsewhere (a synced folder, say), so the file it points at is the one replaced.
struct Target {
    std::string path;
    mode_t mode = kPrivateMode;
};

std::error_code resolveTarget(const std::string& path, Target& target) {
    target.path = path;
    bool throughLink = false;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(target.path.c_str(), &info) != 0) {
            if (errno == ENOENT)
                return {}; // a new file, where the path (or the last link) says
            return lastError();
        }
        if (!S_ISLNK(info.st_mode)) {
            if (throughLink)
                target.mode = info.st_mode & 07777;
            return {};
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(target.path.c_str(), link.data(), link.size());
        if (length < 0)
            return lastError();
        link.resize(static_cast<std::size_t>(length));
        target.path = link.front() == '/' ? link : folderOf(target.path) + "/" + link;
        throughLink = true;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// The content, complete and on disk, in a temporary file beside target.
std::error_code writeTemporary(const Target& target, std::string_view content, std::string& temp) {
    temp = target.path + ".tmpXXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return lastError();
    std::error_code error;
    if (::fchmod(fd, target.mode) != 0)
        error = lastError();
    if (!error)
        error = writeAll(fd, content);
    if (!error && ::fsync(fd) != 0)
        error = lastError();
    if (::close(fd) != 0 && !error)
        error = lastError();
    if (error)
        ::unlink(temp.c_str());
    return error;
}

// Where the file really is, and the new content complete and on disk in a temporary file beside
// it: what both ways of replacing a file start from.
struct Replacement {
    Target target;
    std::string temp;
};

std::error_code prepareReplacement(const std::string& path, std::string_view content,
                                   Replacement& replacement) {
    if (auto error = resolveTarget(path, replacement.target))
        return error;
    return writeTemporary(replacement.target, content, replacement.temp);
}

std::error_code moveInPlace(const std::string& temp, const Target& target) {
    if (::rename(temp.c_str(), target.path.c_str()) != 0) {
        const std::error_code error = lastError();
        ::unlink(temp.c_str());
        return error;
    }
    syncFolder(folderOf(target.path));
    return {};
}

std::string keptName(const std::string& path, int n) {
    return path + ".bad" + (n == 0 ? std::string() : std::to_string(n));
}

// Bounded so that a folder full of kept files cannot keep us searching for ever.
constexpr int kKeptNames = 10000;

} // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view content) {
    Replacement replacement;
    if (auto error = prepareReplacement(path, content, replacement))
        return error;
    return moveInPlace(replacement.temp, replacement.target);
}

std::error_code ReplaceFileKeepingOld(const std::string& path, std::string_view content,
                                      std::string& keptAs) {
    keptAs.clear();
    Replacement replacement;
    if (auto error = prepareReplacement(path, content, replacement))
        return error;
    const Target& target = replacement.target;
    const std::string& temp = replacement.temp;
    // A second name for the old file keeps it while the new one takes its place in one rename.
    for (int n = 0; n < kKeptNames; ++n) {
        const std::string candidate = keptName(target.path, n);
        if (::link(target.path.c_str(), candidate.c_str()) == 0) {
            keptAs = candidate;
            return moveInPlace(temp, target);
        }
        if (errno == EEXIST)
            continue;
        if (errno == ENOENT)
            return moveInPlace(temp, target); // nothing there to keep
        break;
    }
    // A file system without hard links: the old file is renamed aside and put back should the
    // new one fail to take its place.
    for (int n = 0; n < kKeptNames; ++n) {
        const std::string candidate = keptName(target.path, n);
        const std::error_code notRenamed = renameNoReplace(target.path, candidate);
        if (!notRenamed) {
            if (::rename(temp.c_str(), target.path.c_str()) != 0) {
                const std::error_code error = lastError();
                ::rename(candidate.c_str(), target.path.c_str());
                ::unlink(temp.c_str());
                return error;
            }
            keptAs = candidate;
            syncFolder(folderOf(target.path));
            return {};
        }
        if (notRenamed == std::errc::file_exists)
            continue;
        const std::error_code error =
            notRenamed == std::errc::no_such_file_or_directory ? std::error_code() : notRenamed;
        if (!error)
            return moveInPlace(temp, target);
        ::unlink(temp.c_str());
        return error;
    }
    ::unlink(temp.c_str());
    return std::make_error_code(std::errc::file_exists);
}

} // namespace lp::platform
