#include "platform/atomic_file.h"

#include "windows_support.h"

namespace lp::platform {

namespace {

using windows::lastError;
using windows::toWide;

std::error_code writeAll(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk =
            content.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(content.size());
        DWORD written = 0;
        if (!::WriteFile(file, content.data(), chunk, &written, nullptr))
            return lastError();
        content.remove_prefix(written);
    }
    return {};
}

} // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view content) {
    // The file lives in the user's own folder or beside a portable program, whose access list
    // already keeps other users out; there are no permission bits to narrow.
    const std::wstring target = toWide(path);
    const std::wstring temporary = target + windows::uniqueName(L".tmp");
    windows::Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return lastError();
    std::error_code error = writeAll(file.get(), content);
    if (!error && !::FlushFileBuffers(file.get()))
        error = lastError();
    if (!file.close() && !error)
        error = lastError();
    if (!error && !::MoveFileExW(temporary.c_str(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = lastError();
    if (error) {
        ::DeleteFileW(temporary.c_str());
        return error;
    }
    return {};
}

std::error_code SetFileAside(const std::string& path, std::string& keptAs) {
    const std::wstring from = toWide(path);
    if (::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES)
        return lastError();
    // Bounded so that a folder full of kept files cannot keep us searching for ever.
    for (int n = 0; n < 10000; ++n) {
        std::string candidate = path + ".bad" + (n == 0 ? std::string() : std::to_string(n));
        // Without MOVEFILE_REPLACE_EXISTING an existing file is never replaced.
        if (::MoveFileExW(from.c_str(), toWide(candidate).c_str(), MOVEFILE_WRITE_THROUGH)) {
            keptAs = std::move(candidate);
            return {};
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return windows::errorFrom(error);
    }
    return std::make_error_code(std::errc::file_exists);
}

} // namespace lp::platform
