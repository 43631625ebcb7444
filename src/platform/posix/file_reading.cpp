#include "platform/file_reading.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

} // namespace lp::platform
