#include "platform/file_reading.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_descriptor.h"

namespace lp::platform {

bool ReadFileStart(const std::string& path, std::size_t limit, std::string& content,
                   bool& readFailed) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const std::size_t start = content.size();
    char buffer[65536];
    while (content.size() - start < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - (content.size() - start));
        const ssize_t got = ::read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            readFailed = true;
            if (content.size() == start) {
                ::close(fd);
                return false;
            }
            break;
        }
        if (got == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

namespace {

// The plain file at path opened to read; -1 for anything else. O_NONBLOCK: a pipe swapped in
// at the name would otherwise keep the open waiting for a writer.
int openPlainFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW | O_NONBLOCK);
    struct stat status {};
    if (fd >= 0 && (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads as much of count bytes as the file still holds; -1 on a read error.
ssize_t readFully(int fd, char* buffer, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const ssize_t step = ::read(fd, buffer + got, count - got);
        if (step < 0 && errno == EINTR)
            continue;
        if (step < 0)
            return -1;
        if (step == 0)
            break;
        got += static_cast<std::size_t>(step);
    }
    return static_cast<ssize_t>(got);
}

} // namespace

bool SameFileBytes(const std::string& first, const std::string& second) {
    const posix::FileDescriptor a(openPlainFile(first));
    const posix::FileDescriptor b(openPlainFile(second));
    if (a.get() < 0 || b.get() < 0)
        return false;
    constexpr std::size_t kChunk = std::size_t{1} << 16;
    std::string left(kChunk, '\0'), right(kChunk, '\0');
    for (;;) {
        const ssize_t gotLeft = readFully(a.get(), left.data(), kChunk);
        const ssize_t gotRight = readFully(b.get(), right.data(), kChunk);
        if (gotLeft < 0 || gotLeft != gotRight ||
            !std::equal(left.begin(), left.begin() + gotLeft, right.begin()))
            return false;
        if (gotLeft == 0)
            return true;
    }
}

} // namespace lp::platform
