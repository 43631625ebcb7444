#include "platform/file_in_use.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

void leaseBroken(int) {
    // The lease is given back right after it was taken; the signal has nothing left to do.
}

// While we hold a lease, another program opening the file for writing makes the kernel signal
// us (SIGIO), which would end the program by default. A handler of our own takes it; unlike an
// ignored signal, a handler does not pass on to the programs we launch. A handler that the
// program already has stays.
void catchLeaseBreaks() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (::sigaction(SIGIO, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) != 0 ||
            current.sa_handler != SIG_DFL)
            return;
        struct sigaction handler {};
        handler.sa_handler = leaseBroken;
        sigemptyset(&handler.sa_mask);
        handler.sa_flags = SA_RESTART;
        ::sigaction(SIGIO, &handler, nullptr);
    });
}

// Opens the file at path (flags added to the reading ones) and asks for a read lease on it.
bool leaseRefused(const std::string& path, int flags) {
    catchLeaseBreaks();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | flags);
    if (fd < 0)
        return false;
    // A read lease is refused with EAGAIN exactly while someone has the file open for writing.
    // Closing the descriptor gives a granted lease back, so it is held for no longer than the
    // next call, and a writer that opens the file meanwhile waits only that long.
    const bool writing = ::fcntl(fd, F_SETLEASE, F_RDLCK) != 0 && errno == EAGAIN;
    ::close(fd);
    return writing;
}

} // namespace

bool FileOpenForWriting(const std::string& path) {
    // Opening a device or a pipe can have effects of its own, so only a regular file is opened.
    // The lease asked for is granted or refused on a regular file alone (a pipe or device put in
    // the file's place meanwhile answers neither), so the opened file need not be examined again.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode))
        return false;
    return leaseRefused(path, 0);
}

bool ListedFileOpenForWriting(const std::string& path) {
    // The listing that saw a regular file here is moments old: its look serves instead of a stat
    // of our own.
    return leaseRefused(path, O_NOFOLLOW);
}

} // namespace lp::platform
