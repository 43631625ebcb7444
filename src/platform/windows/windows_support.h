#pragma once
// Small pieces the Windows implementations share: UTF-8 names inside, wide names at every call.

#include <string>
#include <string_view>
#include <system_error>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lp::platform::windows {

// UTF-8 to UTF-16 and back. Text that is no valid UTF-8 converts with replacement characters, so
// such a name cannot be found, which fails the call that uses it instead of naming another file.
std::wstring toWide(std::string_view text);
std::string toUtf8(std::wstring_view text);

// A Windows error as the portable error the callers compare against, where there is one.
std::error_code errorFrom(DWORD code);

// The error the last failed system call left behind.
inline std::error_code lastError() {
    return errorFrom(::GetLastError());
}

// The folder part of a path, either separator counting: "." for a bare name.
std::string folderOf(const std::string& path);

// Closes a handle at the end of its scope.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Closes now and says whether that worked.
    bool close() {
        const bool closed = !valid() || ::CloseHandle(handle_) != 0;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

// A name not taken before in this process, for temporary files: prefix + process id + counter.
std::wstring uniqueName(std::wstring_view prefix);

} // namespace lp::platform::windows
