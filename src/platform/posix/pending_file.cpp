#include "pending_file.h"

#include "posix_support.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace lp::platform::posix {

namespace {

constexpr std::time_t kStaleAfterSeconds = std::time_t{24} * 60 * 60;
constexpr std::size_t kSuffixLength = 6;

// An unnamed file is named through its entry under /proc; without /proc it could not be.
bool unnamedFilesCanBeNamed() {
    static const bool usable = ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

bool isOurTemporaryName(const char* name) {
    const std::size_t prefixLength = std::strlen(kCopyPrefix);
    return std::strncmp(name, kCopyPrefix, prefixLength) == 0 &&
           std::strlen(name) == prefixLength + kSuffixLength;
}

// Leftovers only come from a killed program, so one look at each folder per run is enough.
void removeStaleCopiesOnce(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0)
        return;
    static std::mutex mutex;
    static std::set<std::pair<dev_t, ino_t>> seen;
    {
        const std::lock_guard lock(mutex);
        if (!seen.insert({status.st_dev, status.st_ino}).second)
            return;
    }
    RemoveStaleCopies(folder, std::time(nullptr));
}

} // namespace

PendingFile::~PendingFile() {
    if (!temporaryName_.empty())
        ::unlink(temporaryName_.c_str());
}

std::error_code PendingFile::open(const std::string& folder, const std::string& temporaryName) {
    folder_ = folder;
    plannedName_ = temporaryName;
    removeStaleCopiesOnce(folder);
    if (unnamedFilesCanBeNamed()) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (fd >= 0) {
            fd_.reset(fd);
            unnamed_ = true;
            return {};
        }
        // Other errors (a missing folder, no permission) would meet the named file too.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return lastError();
    }
    const int fd =
        ::open(plannedName_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return lastError();
    fd_.reset(fd);
    temporaryName_ = plannedName_;
    return {};
}

// Links the unnamed file into its folder under its temporary name; it keeps that name only for
// the moment until it replaces its destination.
std::error_code PendingFile::nameUnnamedFile() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, plannedName_.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return lastError();
    temporaryName_ = plannedName_;
    unnamed_ = false;
    return {};
}

std::error_code PendingFile::placeAt(const std::string& destination) {
    if (unnamed_) {
        if (auto error = nameUnnamedFile())
            return error;
    }
    if (::rename(temporaryName_.c_str(), destination.c_str()) != 0)
        return lastError();
    temporaryName_.clear();
    return {};
}

std::error_code PendingFile::placeWhereFree(const std::string& destination) {
    if (unnamed_) {
        const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination.c_str(), AT_SYMLINK_FOLLOW) != 0)
            return lastError();
        unnamed_ = false;
        return {};
    }
    if (const std::error_code error = renameNoReplace(temporaryName_, destination))
        return error;
    temporaryName_.clear();
    return {};
}

void RemoveStaleCopies(const std::string& folder, std::time_t now) {
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
    if (!listing)
        return;
    const int folderFd = ::dirfd(listing.get());
    while (const dirent* entry = ::readdir(listing.get())) {
        if (!isOurTemporaryName(entry->d_name))
            continue;
        // The change time cannot be set back by anyone, unlike the write time a copy takes over
        // from its source.
        struct stat status {};
        if (::fstatat(folderFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
            now - status.st_ctim.tv_sec > kStaleAfterSeconds)
            ::unlinkat(folderFd, entry->d_name, 0);
    }
}

} // namespace lp::platform::posix
