#include "platform/instance_lock.h"

#include "posix_support.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

std::string describe(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + posix::lastError().message();
}

std::string homeFolder() {
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/')
        return env;
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// A lock file that is not a plain file of our own could be held or swapped by its owner.
std::optional<std::string> whyNotOwnPlainFile(int fd, const std::string& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return describe("cannot examine the lock file", path);
    if (!S_ISREG(info.st_mode))
        return "the lock file " + path + " is not a plain file";
    if (info.st_uid != ::geteuid())
        return "the lock file " + path + " belongs to another user";
    return std::nullopt;
}

} // namespace

ExclusiveFileLock::~ExclusiveFileLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the file drops the lock
}

ExclusiveFileLock::Attempt ExclusiveFileLock::tryLock(const std::string& path) {
    if (fd_ >= 0)
        return Attempt::Taken;
    // O_NOFOLLOW: a link planted in the lock's place is refused rather than followed.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = describe("cannot open the lock file", path);
        return Attempt::Failed;
    }
    if (std::optional<std::string> why = whyNotOwnPlainFile(fd, path)) {
        error_ = std::move(*why);
        ::close(fd);
        return Attempt::Failed;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const bool held = errno == EWOULDBLOCK;
        if (!held)
            error_ = describe("cannot lock the lock file", path);
        ::close(fd);
        return held ? Attempt::HeldElsewhere : Attempt::Failed;
    }
    fd_ = fd;
    return Attempt::Taken;
}

std::optional<std::string> MakePrivateFolder(const std::string& folder) {
    const std::string path = withoutTrailingSlashes(folder);
    if (path.empty() || path[0] != '/')
        return "no absolute folder to keep the instance lock in";
    // The folders above are made the usual way; only the last one has to be private.
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string above = path.substr(0, slash);
        if (::mkdir(above.c_str(), 0755) != 0 && errno != EEXIST)
            return describe("cannot create the folder", above);
    }
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return describe("cannot create the folder", path);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return describe("cannot examine the folder", path);
    if (!S_ISDIR(info.st_mode))
        return path + " is not a folder";
    if (info.st_uid != ::geteuid())
        return "the folder " + path + " belongs to another user";
    if ((info.st_mode & 0777) != 0700 && ::chmod(path.c_str(), 0700) != 0)
        return describe("cannot narrow the access to the folder", path);
    return std::nullopt;
}

bool IsPrivateFolder(const std::string& folder) {
    struct stat info {};
    // lstat: a link could be pointed elsewhere between this check and the use of the folder.
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string UserCacheFolder() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/')
        return withoutTrailingSlashes(xdg);
    const std::string home = withoutTrailingSlashes(homeFolder());
    if (home.empty())
        return {};
    return (home == "/" ? std::string() : home) + "/.cache";
}

} // namespace lp::platform
