#include "platform/file_operations.h"

#include "posix_support.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lp::platform {

namespace {

using posix::folderOf;
using posix::lastError;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now and says whether the last writes reached the file.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What tells that a file is still the one we started from: same file, same size, same
// modification and change times.
bool unchanged(const struct stat& before, const struct stat& after) {
    return sameFile(before, after) && before.st_size == after.st_size &&
           before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec &&
           before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
           before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
}

std::error_code copyContent(int from, int to) {
    // The kernel copies without a round trip through our memory where it can.
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return {};
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return lastError();
        break;
    }
    std::vector<char> buffer(1 << 17);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0)
            return {};
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return lastError();
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return lastError();
            }
            done += put;
        }
    }
}

// The copy itself; sourceStatus receives what the source was when the copy began, so that a
// move can check it once more before deleting.
std::error_code copyReplacing(const std::string& source, const std::string& destination,
                              struct stat& sourceStatus) {
    // Never blocks on a pipe or device that happens to stand in a folder.
    FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (in.get() < 0)
        return lastError();
    if (::fstat(in.get(), &sourceStatus) != 0)
        return lastError();
    if (S_ISDIR(sourceStatus.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(sourceStatus.st_mode))
        return std::make_error_code(std::errc::invalid_argument);
    struct stat target {};
    if (::stat(destination.c_str(), &target) == 0) {
        if (sameFile(sourceStatus, target))
            return {}; // the file is where it should be already
        if (S_ISDIR(target.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
    }
    const int flags = ::fcntl(in.get(), F_GETFL);
    ::fcntl(in.get(), F_SETFL, flags & ~O_NONBLOCK);

    std::string temporary = folderOf(destination) + "/.larchpost-copy-XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.get() < 0)
        return lastError();
    const auto failWith = [&](std::error_code error) {
        ::unlink(temporary.c_str());
        return error;
    };
    if (auto error = copyContent(in.get(), out.get()))
        return failWith(error);
    const timespec times[2] = {sourceStatus.st_atim, sourceStatus.st_mtim};
    if (::fchmod(out.get(), sourceStatus.st_mode & 07777) != 0 ||
        ::futimens(out.get(), times) != 0 || ::fsync(out.get()) != 0)
        return failWith(lastError());
    if (!out.close())
        return failWith(lastError());
    struct stat after {};
    if (::fstat(in.get(), &after) != 0)
        return failWith(lastError());
    if (!unchanged(sourceStatus, after))
        return failWith(std::make_error_code(std::errc::resource_unavailable_try_again));
    if (::rename(temporary.c_str(), destination.c_str()) != 0)
        return failWith(lastError());
    return {};
}

} // namespace

std::error_code CopyFileReplacing(const std::string& source, const std::string& destination) {
    struct stat sourceStatus {};
    return copyReplacing(source, destination, sourceStatus);
}

std::error_code MoveFileReplacing(const std::string& source, const std::string& destination) {
    struct stat status {};
    if (::lstat(source.c_str(), &status) != 0)
        return lastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    // A rename onto another name of the same file does nothing, and replaces any other file.
    if (::rename(source.c_str(), destination.c_str()) == 0)
        return {};
    if (errno != EXDEV)
        return lastError();
    if (S_ISLNK(status.st_mode))
        return std::make_error_code(std::errc::cross_device_link); // a link is no content to copy
    struct stat copied {};
    if (auto error = copyReplacing(source, destination, copied))
        return error;
    struct stat now {};
    if (::stat(source.c_str(), &now) != 0 || !unchanged(copied, now))
        return std::make_error_code(std::errc::resource_unavailable_try_again); // both stay
    if (::unlink(source.c_str()) != 0)
        return lastError();
    return {};
}

std::error_code DeleteFileEntry(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return lastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (::unlink(path.c_str()) != 0)
        return lastError();
    return {};
}

} // namespace lp::platform
