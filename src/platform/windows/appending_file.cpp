#include "platform/appending_file.h"

#include "windows_support.h"

#include <algorithm>
#include <cstdint>

namespace lp::platform {

namespace {

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

AppendingFile::~AppendingFile() {
    close();
}

std::error_code AppendingFile::open(const std::string& path) {
    close();
    // Others may read and rename the file while it is open, as a log's reader and its rotation do.
    const HANDLE file = ::CreateFileW(windows::toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return windows::lastError();
    handle_ = reinterpret_cast<std::intptr_t>(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info)) {
        const auto error = windows::lastError();
        close();
        return error;
    }
    device_ = info.dwVolumeSerialNumber;
    index_ = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return {};
}

bool AppendingFile::isOpen() const {
    return handle_ != -1;
}

void AppendingFile::close() {
    if (handle_ != -1)
        ::CloseHandle(handleOf(handle_));
    handle_ = -1;
}

bool AppendingFile::lockForThisProcess() {
    OVERLAPPED whole{};
    return handle_ != -1 &&
           ::LockFileEx(handleOf(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                        1, 0, &whole) != 0;
}

std::error_code AppendingFile::append(std::string_view bytes) {
    while (!bytes.empty()) {
        // An offset of all ones writes at the end of the file as it is at that moment.
        OVERLAPPED atEnd{};
        atEnd.Offset = 0xFFFFFFFF;
        atEnd.OffsetHigh = 0xFFFFFFFF;
        DWORD written = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!::WriteFile(handleOf(handle_), bytes.data(), asked, &written, &atEnd))
            return windows::lastError();
        bytes.remove_prefix(written);
    }
    return {};
}

std::optional<std::uint64_t> AppendingFile::sizeIfAt(const std::string& path) const {
    if (handle_ == -1)
        return std::nullopt;
    const windows::Handle named(
        ::CreateFileW(windows::toWide(path).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!named.valid() || !::GetFileInformationByHandle(named.get(), &info) ||
        info.dwVolumeSerialNumber != device_ ||
        ((static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow) != index_)
        return std::nullopt;
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

std::error_code AppendingFile::truncate() {
    FILE_END_OF_FILE_INFO end{};
    if (!::SetFileInformationByHandle(handleOf(handle_), FileEndOfFileInfo, &end, sizeof end))
        return windows::lastError();
    return {};
}

std::error_code AppendingFile::readAll(std::string& content) const {
    content.clear();
    char buffer[1 << 14];
    for (;;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(content.size() & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(content.size()) >> 32);
        DWORD got = 0;
        if (!::ReadFile(handleOf(handle_), buffer, sizeof buffer, &got, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                return {};
            return windows::lastError();
        }
        if (got == 0)
            return {};
        content.append(buffer, got);
    }
}

} // namespace lp::platform
