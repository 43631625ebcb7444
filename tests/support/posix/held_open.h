#pragma once
// A file held open by someone else, as another program would hold it, for as long as the object
// lives.

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace lp::test {

enum class OpenFor { Reading, Writing, ReadingAndWriting };

class HeldOpen {
public:
    HeldOpen(const std::filesystem::path& path, OpenFor access) {
        const int flags = access == OpenFor::Reading   ? O_RDONLY
                          : access == OpenFor::Writing ? O_WRONLY
                                                       : O_RDWR;
        fd_ = ::open(path.c_str(), flags | O_CLOEXEC);
    }
    ~HeldOpen() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace lp::test
