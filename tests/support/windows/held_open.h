#pragma once
// A file held open by someone else, as another program would hold it, for as long as the object
// lives: sharing reading, writing and deleting, as a download program does so that the file can
// be looked at, and moved once it is done.

#include <filesystem>
#include <windows.h>

namespace lp::test {

enum class OpenFor { Reading, Writing, ReadingAndWriting };

class HeldOpen {
public:
    HeldOpen(const std::filesystem::path& path, OpenFor access) {
        const DWORD rights = access == OpenFor::Reading   ? GENERIC_READ
                             : access == OpenFor::Writing ? GENERIC_WRITE
                                                          : GENERIC_READ | GENERIC_WRITE;
        handle_ = ::CreateFileW(path.c_str(), rights,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~HeldOpen() {
        if (held())
            ::CloseHandle(handle_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

} // namespace lp::test
