#include "platform/folder_making.h"
#include "platform/utf8_path.h"
#include "windows_support.h"

#include <filesystem>

#include <windows.h>

namespace lp::platform {

namespace {

std::error_code lastError() {
    return {static_cast<int>(::GetLastError()), std::system_category()};
}

} // namespace

bool AwaitsItsDrive(const std::string&, const std::string&) {
    return false;
}

std::optional<std::string> ResolvedFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(Utf8Path(folder), error);
    if (error)
        return std::nullopt;
    const std::u8string text = real.u8string();
    return std::string(text.begin(), text.end());
}

std::error_code RemoveEmptyFolder(const std::string& folder) {
    // RemoveDirectory removes only an empty folder; a link to one is refused first.
    const DWORD attributes = ::GetFileAttributesW(windows::toWide(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return std::make_error_code(std::errc::not_a_directory);
    if (!::RemoveDirectoryW(windows::toWide(folder).c_str()))
        return lastError();
    return {};
}

std::error_code MakeFoldersBelow(const std::string& base, const std::vector<std::string>& below,
                                 std::vector<std::string>& made) {
    made.clear();
    const DWORD baseAttributes = ::GetFileAttributesW(windows::toWide(base).c_str());
    if (baseAttributes == INVALID_FILE_ATTRIBUTES || !(baseAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::make_error_code(std::errc::no_such_file_or_directory);
    std::string path = base;
    for (const std::string& name : below) {
        if (name.empty() || name == "." || name == ".." ||
            name.find_first_of("/\\") != std::string::npos)
            return std::make_error_code(std::errc::invalid_argument);
        if (!path.empty() && path.back() != '\\' && path.back() != '/')
            path += '\\';
        path += name;
        const std::wstring wide = windows::toWide(path);
        // The folder's default security: what Explorer gives a new folder there.
        const bool madeHere = ::CreateDirectoryW(wide.c_str(), nullptr) != 0;
        if (!madeHere && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return lastError();
        if (madeHere)
            made.push_back(path);
        // A junction or link at the name is never gone through.
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return std::make_error_code(std::errc::not_a_directory);
    }
    return {};
}

} // namespace lp::platform
