#include "windows_support.h"

#include <atomic>

namespace lp::platform::windows {

std::wstring toWide(std::string_view text) {
    if (text.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

std::string toUtf8(std::wstring_view text) {
    if (text.empty())
        return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                          length, nullptr, nullptr);
    return narrow;
}

std::error_code errorFrom(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_PATHNAME:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    case ERROR_NOT_SAME_DEVICE:
        return std::make_error_code(std::errc::cross_device_link);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_FILENAME_EXCED_RANGE:
        return std::make_error_code(std::errc::filename_too_long);
    case ERROR_DIRECTORY:
        return std::make_error_code(std::errc::not_a_directory);
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return std::make_error_code(std::errc::invalid_argument);
    default:
        return {static_cast<int>(code), std::system_category()};
    }
}

std::string folderOf(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos)
        return ".";
    // "C:\" and "\" keep their separator: without it they would name another folder.
    if (separator == 0 || (separator == 2 && path[1] == ':'))
        return path.substr(0, separator + 1);
    return path.substr(0, separator);
}

std::wstring uniqueName(std::wstring_view prefix) {
    static std::atomic<unsigned> counter{0};
    std::wstring name(prefix);
    name += std::to_wstring(::GetCurrentProcessId());
    name += L'-';
    name += std::to_wstring(++counter);
    name += L'-';
    name += std::to_wstring(::GetTickCount64());
    return name;
}

} // namespace lp::platform::windows
