#include "platform/appending_file.h"

#include "posix_support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

int descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

AppendingFile::~AppendingFile() {
    close();
}

std::error_code AppendingFile::open(const std::string& path) {
    close();
    const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0)
        return posix::lastError();
    handle_ = fd;
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const auto error = posix::lastError();
        close();
        return error;
    }
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
    }
    return {};
}

std::optional<std::uint64_t> AppendingFile::sizeIfAt(const std::string& path) const {
    struct stat named {};
    if (handle_ < 0 || ::stat(path.c_str(), &named) != 0 || named.st_dev != device_ ||
        named.st_ino != index_)
        return std::nullopt;
    return static_cast<std::uint64_t>(named.st_size);
}

std::error_code AppendingFile::truncate() {
    if (::ftruncate(descriptor(handle_), 0) != 0)
        return posix::lastError();
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
