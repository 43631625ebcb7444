#include "sparse_copy.h"

#include "platform/copy_watch.h"
#include "posix_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace lp::platform::posix {

namespace {

bool kernelCannotCopy(int error) {
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP;
}

std::error_code fileShrank() {
    return std::make_error_code(std::errc::resource_unavailable_try_again);
}

std::error_code stopped() {
    return std::make_error_code(std::errc::operation_canceled);
}

// A watched copy goes in pieces small enough to report often and stop soon on a slow drive.
constexpr off_t kWatchedPiece = off_t{8} << 20;
constexpr off_t kUnwatchedPiece = off_t{1} << 30;

std::error_code copyThroughMemory(int from, int to, off_t offset, off_t length, off_t size) {
    std::vector<char> buffer(static_cast<std::size_t>(std::min<off_t>(length, 1 << 17)));
    while (length > 0) {
        const auto want = static_cast<std::size_t>(std::min<off_t>(length, buffer.size()));
        const ssize_t got = ::pread(from, buffer.data(), want, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return lastError();
        if (got == 0)
            return fileShrank();
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::pwrite(to, buffer.data() + done,
                                         static_cast<std::size_t>(got - done), offset + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return lastError();
            done += put;
        }
        offset += got;
        length -= got;
        if (!CopyGoesOn(static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(size)))
            return stopped();
    }
    return {};
}

// One data region, in the kernel where it can, without a round trip through our memory.
std::error_code copyRegion(int from, int to, off_t offset, off_t length, off_t size) {
    off_t in = offset;
    off_t out = offset;
    const off_t piece = CopiesWatched() ? kWatchedPiece : kUnwatchedPiece;
    while (length > 0) {
        const ssize_t copied = ::copy_file_range(
            from, &in, to, &out, static_cast<std::size_t>(std::min<off_t>(length, piece)), 0);
        if (copied > 0) {
            length -= copied;
            if (!CopyGoesOn(static_cast<std::uint64_t>(in), static_cast<std::uint64_t>(size)))
                return stopped();
            continue;
        }
        if (copied == 0)
            return fileShrank();
        if (errno == EINTR)
            continue;
        if (!kernelCannotCopy(errno))
            return lastError();
        return copyThroughMemory(from, to, in, length, size);
    }
    return {};
}

} // namespace

std::error_code CopySparseContent(int from, int to, off_t size) {
    if (!CopyGoesOn(0, static_cast<std::uint64_t>(size)))
        return stopped(); // asked to stop before it began
    if (::ioctl(to, FICLONE, from) == 0)
        return {};
    for (off_t offset = 0; offset < size;) {
        off_t data = ::lseek(from, offset, SEEK_DATA);
        off_t hole = size;
        if (data < 0 && errno == ENXIO)
            break; // nothing but a hole up to the end
        if (data < 0) {
            data = offset; // no map of the holes: everything counts as data
        } else {
            hole = ::lseek(from, data, SEEK_HOLE);
            if (hole < 0 || hole > size)
                hole = size;
        }
        if (data >= size)
            break;
        if (auto error = copyRegion(from, to, data, hole - data, size))
            return error;
        offset = hole;
    }
    // The size itself, so that a hole at the end stays a hole.
    if (::ftruncate(to, size) != 0)
        return lastError();
    return {};
}

} // namespace lp::platform::posix
