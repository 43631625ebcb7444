#include "platform/appending_file.h"

#include "posix_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace lp::platform {

namespace {

int descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

constexpr std::intptr_t kNotWatchedYet = -1;
constexpr std::intptr_t kNoWatch = -2;
// Other writers' additions are counted at the latest by this call to sizeIfAt.
constexpr unsigned kLooksSavedAtMost = 16;

// Whatever happens to a file, a folder or a link that makes a path name something else: renamed,
// removed (a file still open loses its last link: an attribute change), replaced, unmounted.
// Changes of attributes alone merely cost a look at the path.
constexpr std::uint32_t kRenamedOrRemoved = IN_MOVE_SELF | IN_DELETE_SELF | IN_ATTRIB;
// In the file's own folder, any entry made, removed or renamed: the path's last part may name
// something else without the open file being touched (a link put there, then removed).
constexpr std::uint32_t kEntriesChanged = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

// A watch on the open file itself (through its descriptor, so that it is the very file opened
// whatever path names by now) and on every folder above it in path, each folder both as named
// and, where it is a link, as the folder it leads to. Nothing for a path that is not absolute (a
// change of working folder would change what it names), or when the system grants no watch.
int watchPath(int fd, const std::string& path) {
    if (path.empty() || path.front() != '/')
        return -1;
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch < 0)
        return -1;
    bool watched = ::inotify_add_watch(watch, ("/proc/self/fd/" + std::to_string(fd)).c_str(),
                                       kRenamedOrRemoved) >= 0;
    const std::size_t lastSlash = path.rfind('/');
    for (std::size_t slash = 0; watched && slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
        const std::uint32_t events = kRenamedOrRemoved | (slash == lastSlash ? kEntriesChanged : 0);
        watched = ::inotify_add_watch(watch, folder.c_str(), events | IN_DONT_FOLLOW) >= 0 &&
                  ::inotify_add_watch(watch, folder.c_str(), events) >= 0;
    }
    if (!watched) {
        ::close(watch);
        return -1;
    }
    return watch;
}

// True when the watch has seen nothing since it was last asked; anything it saw (or an error) is
// taken in and answers false.
bool nothingHappened(int watch) {
    alignas(inotify_event) char seen[4096];
    return ::read(watch, seen, sizeof seen) < 0 && errno == EAGAIN;
}

// A folder mounted over one above the file hides it without any change the path watch sees; the
// system's mount table tells of every mount and unmount instead.
int watchMounts() {
    return ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
}

// True when no file system was mounted or unmounted since the last call. Asking takes the news
// in: the next call answers for what happens from now on.
bool mountsUnchanged(int mounts) {
    pollfd asked{mounts, POLLPRI, 0};
    return ::poll(&asked, 1, 0) == 0;
}

} // namespace

AppendingFile::~AppendingFile() {
    close();
}

std::error_code AppendingFile::open(const std::string& path) {
    close();
    constexpr int kFlags = O_RDWR | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(path.c_str(), kFlags | O_CREAT, 0600);
    if (fd < 0 && errno != ELOOP)
        return posix::lastError();
    struct stat status {};
    if (fd >= 0 && ::fstat(fd, &status) != 0) {
        const auto error = posix::lastError();
        ::close(fd);
        return error;
    }
    // A link, a second name of another file, a pipe or a device put at the path is no file of
    // ours: written through, it would add to (or block on) something the user keeps elsewhere.
    // A new file takes the name; whatever the name led to is left as it is.
    if (fd < 0 || !S_ISREG(status.st_mode) || status.st_nlink != 1) {
        if (fd >= 0)
            ::close(fd);
        std::string fresh = path + ".new-XXXXXX";
        fd = ::mkostemp(fresh.data(), O_APPEND | O_CLOEXEC);
        if (fd < 0)
            return posix::lastError();
        if (::rename(fresh.c_str(), path.c_str()) != 0 || ::fstat(fd, &status) != 0) {
            const auto error = posix::lastError();
            ::unlink(fresh.c_str());
            ::close(fd);
            return error;
        }
    }
    handle_ = fd;
    device_ = status.st_dev;
    index_ = status.st_ino;
    return {};
}

bool AppendingFile::isOpen() const {
    return handle_ >= 0;
}

void AppendingFile::close() {
    if (handle_ >= 0)
        ::close(descriptor(handle_));
    handle_ = -1;
    if (pathWatch_ >= 0)
        ::close(descriptor(pathWatch_));
    pathWatch_ = kNotWatchedYet;
    if (mountWatch_ >= 0)
        ::close(descriptor(mountWatch_));
    mountWatch_ = -1;
    pathConfirmed_ = false;
}

bool AppendingFile::lockForThisProcess() {
    return handle_ >= 0 && ::flock(descriptor(handle_), LOCK_EX | LOCK_NB) == 0;
}

std::error_code AppendingFile::append(std::string_view bytes) {
    // A regular file takes a write whole unless the disk is full; what a short write left is
    // followed by the rest, so that a line is never cut by anything but a full disk.
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor(handle_), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return posix::lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        knownSize_ += static_cast<std::uint64_t>(written);
    }
    return {};
}

std::optional<std::uint64_t> AppendingFile::sizeIfAt(const std::string& path) const {
    if (handle_ < 0)
        return std::nullopt;
    // Since the last look found the file at path, the watch has seen none of them change: path
    // still names it.
    if (pathConfirmed_ && nothingHappened(descriptor(pathWatch_)) &&
        mountsUnchanged(descriptor(mountWatch_)) && ++looksSaved_ < kLooksSavedAtMost)
        return knownSize_;
    // The watches are set up before the look, so that nothing that happens after the look
    // escapes them.
    if (pathWatch_ == kNotWatchedYet) {
        const int mounts = watchMounts();
        const int watch = mounts >= 0 ? watchPath(descriptor(handle_), path) : -1;
        pathWatch_ = watch >= 0 ? watch : kNoWatch;
        if (watch >= 0)
            mountWatch_ = mounts;
        else if (mounts >= 0)
            ::close(mounts);
    }
    looksSaved_ = 0;
    pathConfirmed_ = false;
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || named.st_dev != device_ || named.st_ino != index_)
        return std::nullopt;
    pathConfirmed_ = pathWatch_ >= 0;
    knownSize_ = static_cast<std::uint64_t>(named.st_size);
    return knownSize_;
}

std::error_code AppendingFile::truncate() {
    if (::ftruncate(descriptor(handle_), 0) != 0)
        return posix::lastError();
    knownSize_ = 0;
    return {};
}

std::error_code AppendingFile::readAll(std::string& content) const {
    content.clear();
    char buffer[1 << 14];
    for (;;) {
        const ssize_t got =
            ::pread(descriptor(handle_), buffer, sizeof buffer, static_cast<off_t>(content.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return posix::lastError();
        if (got == 0)
            return {};
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace lp::platform
