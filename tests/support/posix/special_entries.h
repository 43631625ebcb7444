#pragma once
// Making the entries that are neither files, folders nor links, for tests of how they are
// treated: a pipe, a socket and a device node.

#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace lp::test {

enum class SpecialEntry { Pipe, Socket, Device };

// Makes the entry at path; false where this process may not (a device node needs the right to
// make one). The device is the one of /dev/null, which nothing here ever opens anyway.
inline bool makeSpecialEntry(SpecialEntry kind, const std::string& path) {
    switch (kind) {
    case SpecialEntry::Pipe:
        return ::mkfifo(path.c_str(), 0600) == 0;
    case SpecialEntry::Device:
        return ::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    case SpecialEntry::Socket: {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            return false;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        const bool bound =
            ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        return bound;
    }
    }
    return false;
}

} // namespace lp::test
