#include "platform/atomic_file.h"

#include "windows_support.h"

namespace lp::platform {

namespace {

using windows::lastError;
using windows::toWide;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

// The file that path finally names. Replacing a link itself would cut it off from the file the
// user keeps elsewhere, so the file it leads to is the one replaced. A link that leads nowhere
// is replaced by the file itself: there is no file of the user's to keep in line with it.
std::wstring resolveTarget(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    const windows::Handle reached(::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!reached.valid())
        return path;
    std::wstring final(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(reached.get(), final.data(),
                                               static_cast<DWORD>(final.size()), VOLUME_NAME_DOS);
    if (length >= final.size()) {
        final.resize(length);
        length = ::GetFinalPathNameByHandleW(reached.get(), final.data(), length, VOLUME_NAME_DOS);
    }
    if (length == 0 || length >= final.size())
        return path;
    final.resize(length);
    // The answer comes in the long-path form; the usual one reads better in messages.
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\\\" + final.substr(8);
    if (final.rfind(L"\\\\?\\", 0) == 0)
        return final.substr(4);
    return final;
}

// The content, complete and on disk, in a new file beside target. The file lives in the user's
// own folder or beside a portable program, whose access list already keeps other users out;
// there are no permission bits to narrow.
std::error_code writeTemporary(const std::wstring& target, std::string_view content,
                               std::wstring& temporary) {
    temporary = target + windows::uniqueName(L".tmp");
    // Every Windows file system holds at most this many characters in one name; some say so
    // only as a missing path.
    constexpr std::size_t kLongestName = 255;
    const std::size_t nameStart = temporary.find_last_of(L"\\/");
    if (temporary.size() - (nameStart == std::wstring::npos ? 0 : nameStart + 1) > kLongestName)
        return std::make_error_code(std::errc::filename_too_long);
    windows::Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return lastError();
    std::error_code error = writeAll(file.get(), content);
    if (!error && !::FlushFileBuffers(file.get()))
        error = lastError();
    if (!file.close() && !error)
        error = lastError();
    if (error)
        ::DeleteFileW(temporary.c_str());
    return error;
}

std::error_code moveInPlace(const std::wstring& temporary, const std::wstring& target) {
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::error_code error = lastError();
        ::DeleteFileW(temporary.c_str());
        return error;
    }
    return {};
}

std::wstring keptName(const std::wstring& path, int n) {
    return path + L".bad" + (n == 0 ? std::wstring() : std::to_wstring(n));
}

bool nameTaken(DWORD error) {
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// Bounded so that a folder full of kept files cannot keep us searching for ever.
constexpr int kKeptNames = 10000;

} // namespace

std::error_code WriteFileAtomically(const std::string& path, std::string_view content) {
    const std::wstring target = resolveTarget(toWide(path));
    std::wstring temporary;
    if (auto error = writeTemporary(target, content, temporary))
        return error;
    return moveInPlace(temporary, target);
}

std::error_code ReplaceFileKeepingOld(const std::string& path, std::string_view content,
                                      std::string& keptAs) {
    keptAs.clear();
    const std::wstring target = resolveTarget(toWide(path));
    std::wstring temporary;
    if (auto error = writeTemporary(target, content, temporary))
        return error;
    // A second name for the old file keeps it while the new one takes its place in one move, so
    // that the file is there at every moment.
    for (int n = 0; n < kKeptNames; ++n) {
        const std::wstring candidate = keptName(target, n);
        if (::CreateHardLinkW(candidate.c_str(), target.c_str(), nullptr)) {
            keptAs = windows::toUtf8(candidate);
            return moveInPlace(temporary, target);
        }
        const DWORD error = ::GetLastError();
        if (nameTaken(error))
            continue;
        if (error == ERROR_FILE_NOT_FOUND)
            return moveInPlace(temporary, target); // nothing there to keep
        break;
    }
    // A file system without hard links (FAT, many network shares): the old file is moved aside
    // and put back should the new one fail to take its place.
    for (int n = 0; n < kKeptNames; ++n) {
        const std::wstring candidate = keptName(target, n);
        // Without MOVEFILE_REPLACE_EXISTING a kept file is never replaced.
        if (::MoveFileExW(target.c_str(), candidate.c_str(), MOVEFILE_WRITE_THROUGH)) {
            if (!::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
                const std::error_code error = lastError();
                ::MoveFileExW(candidate.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
                ::DeleteFileW(temporary.c_str());
                return error;
            }
            keptAs = windows::toUtf8(candidate);
            return {};
        }
        const DWORD error = ::GetLastError();
        if (nameTaken(error))
            continue;
        if (error == ERROR_FILE_NOT_FOUND)
            return moveInPlace(temporary, target);
        ::DeleteFileW(temporary.c_str());
        return windows::errorFrom(error);
    }
    ::DeleteFileW(temporary.c_str());
    return std::make_error_code(std::errc::file_exists);
}

} // namespace lp::platform
