#include "platform/file_in_use.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <string>
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

// Opens the regular file at path (flags added to the opening ones) and asks for a read lease on
// it. The path is first only looked up: a pipe or device found there, also one that took the
// file's place through a folder swapped for a link, is never opened, since opening one can have
// effects of its own (a writer waiting on a pipe would go on, its bytes lost). What was looked up
// is then opened itself, so nothing put at the path meanwhile is opened instead.
bool leaseRefused(const std::string& path, int flags) {
    catchLeaseBreaks();
    const int found = ::open(path.c_str(), O_PATH | O_CLOEXEC | flags);
    if (found < 0)
        return false;
    struct stat status {};
    const bool regular = ::fstat(found, &status) == 0 && S_ISREG(status.st_mode);
    const int fd = regular ? ::open(("/proc/self/fd/" + std::to_string(found)).c_str(),
                                    O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)
                           : -1;
    ::close(found);
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
    return leaseRefused(path, 0);
}

bool ListedFileOpenForWriting(const std::string& path) {
    // The listing saw a regular file here: a link standing at the name since is not gone through.
    return leaseRefused(path, O_NOFOLLOW);
}

} // namespace lp::platform
