#include "platform/instance_lock.h"

#include "instance_folder.h"
#include "platform/problem.h"
#include "posix_support.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lp::platform {

namespace {

std::string describe(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + posix::lastError().message();
}

// The home the password database gives the user; $HOME is not asked, as it differs between the
// ways one user starts programs (su, sudo -u, cron) and can be anything.
std::string passwordHome(uid_t user) {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    int result = 0;
    while ((result = ::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (result != 0 || found == nullptr || found->pw_dir == nullptr)
        return {};
    return found->pw_dir;
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// A folder (not a link to one) of the user's that nobody else may enter, as the system makes a
// user's runtime folder. lstat: a link could be pointed elsewhere between this look and the use.
bool isRuntimeFolderOf(const std::string& folder, uid_t user) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user &&
           (info.st_mode & 07777) == 0700;
}

// A lock file that is not a plain file of our own could be held or swapped by its owner.
Problem whyNotOwnPlainFile(int fd, const std::string& path) {
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
    if (Problem why = whyNotOwnPlainFile(fd, path)) {
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

Problem MakePrivateFolder(const std::string& folder) {
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

namespace posix {

std::vector<std::string> InstanceGuardFoldersFrom(const std::string& runtimeFolders,
                                                  const std::string& home, uid_t user) {
    std::vector<std::string> folders;
    const std::string base = withoutTrailingSlashes(home);
    if (!base.empty() && base[0] == '/')
        folders.push_back((base == "/" ? std::string() : base) + "/.cache/Larchpost");
    std::string runtime = withoutTrailingSlashes(runtimeFolders) + "/" + std::to_string(user);
    if (isRuntimeFolderOf(runtime, user))
        folders.push_back(std::move(runtime));
    return folders;
}

} // namespace posix

std::vector<std::string> InstanceGuardFolders() {
    // The files are made as the effective user, so that is the user whose guard this is.
    const uid_t user = ::geteuid();
    return posix::InstanceGuardFoldersFrom("/run/user", passwordHome(user), user);
}

} // namespace lp::platform
