#include "platform/file_operations.h"
#include "platform/copy_watch.h"
#include "platform/move_journal.h"

#include "stale_copies.h"
#include "windows_support.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace lp::platform {

namespace {

using windows::Handle;
using windows::lastError;
using windows::toWide;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens an entry only to ask about it; a folder opens too, so that it can be told apart.
Handle openForQuery(const std::wstring& path) {
    return Handle(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// What tells that a file is still the one we started from: same file, same size, same
// last-write time.
bool unchanged(const BY_HANDLE_FILE_INFORMATION& before, const BY_HANDLE_FILE_INFORMATION& after) {
    return sameFile(before, after) && before.nFileSizeHigh == after.nFileSizeHigh &&
           before.nFileSizeLow == after.nFileSizeLow &&
           CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime) == 0;
}

bool isFolder(const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// What stands at path, if anything: false with no error when nothing does.
std::error_code describe(const std::wstring& path, bool& exists, BY_HANDLE_FILE_INFORMATION& info) {
    const Handle entry = openForQuery(path);
    exists = entry.valid();
    if (!exists) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        return windows::errorFrom(error);
    }
    if (!::GetFileInformationByHandle(entry.get(), &info))
        return lastError();
    return {};
}

std::error_code copyContent(HANDLE from, HANDLE to) {
    std::vector<char> buffer(1 << 17);
    LARGE_INTEGER size{};
    const std::uint64_t total =
        ::GetFileSizeEx(from, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    std::uint64_t copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return lastError();
        if (got == 0)
            return {};
        for (DWORD done = 0; done < got;) {
            DWORD put = 0;
            if (!::WriteFile(to, buffer.data() + done, got - done, &put, nullptr))
                return lastError();
            done += put;
        }
        copied += got;
        if (!CopyGoesOn(copied, total))
            return std::make_error_code(std::errc::operation_canceled);
    }
}

// Whether anything, a dangling link included, has the name path.
bool occupied(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

enum class AtDestination { Replace, Keep };

// The last-write time in nanoseconds since the epoch, as the journal keeps it.
std::int64_t modifiedNs(const FILETIME& time) {
    constexpr std::int64_t kEpochIn100ns = 116444736000000000LL; // 1601 to 1970
    const std::int64_t ticks =
        (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (ticks - kEpochIn100ns) * 100;
}

// The copy itself; sourceInfo receives what the source was when the copy began, so that a move
// can check it once more before deleting. With AtDestination::Keep the finished copy takes its
// name in a rename that fails when anything has it meanwhile. The copy is written under the
// temporary name its journal record gives, so that the next start removes it after a kill; the
// record is made once the source is open, and passed back in journal.
std::error_code copyInto(const std::string& source, const std::string& destination,
                         BY_HANDLE_FILE_INFORMATION& sourceInfo, AtDestination existing,
                         JournalKind kind, std::optional<JournalEntry>& journal) {
    const std::wstring from = toWide(source);
    const std::wstring to = toWide(destination);
    // Others may go on reading and writing; a change while we copy fails the copy below.
    const Handle in(::CreateFileW(from.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid())
        return lastError();
    if (!::GetFileInformationByHandle(in.get(), &sourceInfo))
        return lastError();
    if (isFolder(sourceInfo))
        return std::make_error_code(std::errc::is_a_directory);
    if (::GetFileType(in.get()) != FILE_TYPE_DISK)
        return std::make_error_code(std::errc::invalid_argument);
    bool targetExists = false;
    BY_HANDLE_FILE_INFORMATION target{};
    if (auto error = describe(to, targetExists, target))
        return error;
    const bool keep = existing == AtDestination::Keep;
    if (targetExists) {
        // Copying a file over itself, under whatever name, would at best do nothing.
        if (sameFile(sourceInfo, target))
            return std::make_error_code(keep ? std::errc::invalid_argument
                                             : std::errc::file_exists);
        if (keep)
            return std::make_error_code(std::errc::file_exists);
        if (isFolder(target))
            return std::make_error_code(std::errc::is_a_directory);
    }
    if (keep && occupied(to))
        return std::make_error_code(std::errc::file_exists);

    windows::RemoveStaleCopiesOnce(toWide(windows::folderOf(destination)));
    const std::uint64_t size =
        (static_cast<std::uint64_t>(sourceInfo.nFileSizeHigh) << 32) | sourceInfo.nFileSizeLow;
    journal.emplace(kind, source, destination, size, modifiedNs(sourceInfo.ftLastWriteTime));
    const std::wstring temporary = toWide(CopyPath(journal->record()));
    Handle out(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return lastError();
    const auto failWith = [&](std::error_code error) {
        out.close();
        ::DeleteFileW(temporary.c_str());
        return error;
    };
    const CopyUnderWay underWay(source, destination, kind != JournalKind::Copy);
    if (auto error = copyContent(in.get(), out.get()))
        return failWith(error);
    if (!::SetFileTime(out.get(), nullptr, nullptr, &sourceInfo.ftLastWriteTime) ||
        !::FlushFileBuffers(out.get()))
        return failWith(lastError());
    if (!out.close())
        return failWith(lastError());
    BY_HANDLE_FILE_INFORMATION after{};
    if (!::GetFileInformationByHandle(in.get(), &after))
        return failWith(lastError());
    if (!unchanged(sourceInfo, after))
        return failWith(std::make_error_code(std::errc::resource_unavailable_try_again));
    // The read-only, hidden and archive marks are what Windows has instead of permission bits.
    constexpr DWORD kKeptAttributes =
        FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
    const DWORD attributes = sourceInfo.dwFileAttributes & kKeptAttributes;
    if (attributes != 0 && !::SetFileAttributesW(temporary.c_str(), attributes))
        return failWith(lastError());
    const DWORD flags =
        keep ? MOVEFILE_WRITE_THROUGH : MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (!::MoveFileExW(temporary.c_str(), to.c_str(), flags)) {
        const std::error_code error =
            keep && occupied(to) ? std::make_error_code(std::errc::file_exists) : lastError();
        ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
        return failWith(error);
    }
    return {};
}

// After a copy across volumes: deletes the source only if it is still the very file that was
// copied, unchanged; otherwise both stay.
std::error_code deleteIfUnchanged(const std::wstring& from,
                                  const BY_HANDLE_FILE_INFORMATION& copied) {
    const Handle now(::CreateFileW(from.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION current{};
    if (!now.valid() || !::GetFileInformationByHandle(now.get(), &current) ||
        !unchanged(copied, current))
        return std::make_error_code(std::errc::resource_unavailable_try_again);
    FILE_DISPOSITION_INFO dispose{};
    dispose.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(now.get(), FileDispositionInfo, &dispose, sizeof dispose))
        return lastError();
    return {};
}

// What a move needs to know of its source before anything happens: it exists, and is no folder.
std::error_code describeSource(const std::wstring& from, BY_HANDLE_FILE_INFORMATION& status) {
    bool exists = false;
    if (auto error = describe(from, exists, status))
        return error;
    if (!exists)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (isFolder(status))
        return std::make_error_code(std::errc::is_a_directory);
    return {};
}

} // namespace

std::error_code CopyFileReplacing(const std::string& source, const std::string& destination) {
    BY_HANDLE_FILE_INFORMATION sourceInfo{};
    std::optional<JournalEntry> journal;
    return copyInto(source, destination, sourceInfo, AtDestination::Replace, JournalKind::Copy,
                    journal);
}

std::error_code CopyFileNoReplace(const std::string& source, const std::string& destination) {
    BY_HANDLE_FILE_INFORMATION sourceInfo{};
    std::optional<JournalEntry> journal;
    return copyInto(source, destination, sourceInfo, AtDestination::Keep, JournalKind::Copy,
                    journal);
}

std::error_code MoveFileNoReplace(const std::string& source, const std::string& destination) {
    const std::wstring from = toWide(source);
    const std::wstring to = toWide(destination);
    BY_HANDLE_FILE_INFORMATION status{};
    if (auto error = describeSource(from, status))
        return error;
    bool targetExists = false;
    BY_HANDLE_FILE_INFORMATION target{};
    if (auto error = describe(to, targetExists, target))
        return error;
    // The source itself under another name (other letters, its short name, a hard link): no
    // other name gives the move a meaning.
    if (targetExists && sameFile(status, target))
        return std::make_error_code(std::errc::invalid_argument);
    // Without MOVEFILE_REPLACE_EXISTING the rename itself refuses a taken name, whatever came
    // there since the look above.
    if (::MoveFileExW(from.c_str(), to.c_str(), 0))
        return {};
    const DWORD error = ::GetLastError();
    if (error != ERROR_NOT_SAME_DEVICE)
        return occupied(to) ? std::make_error_code(std::errc::file_exists)
                            : windows::errorFrom(error);
    // A kill between the copy's placing and the delete leaves the source beside its whole copy:
    // the journal's record, kept until the delete is done, lets the next start finish the move.
    BY_HANDLE_FILE_INFORMATION copied{};
    std::optional<JournalEntry> journal;
    if (auto copyError =
            copyInto(source, destination, copied, AtDestination::Keep, JournalKind::Move, journal))
        return copyError;
    return deleteIfUnchanged(from, copied);
}

std::error_code MoveFileReplacing(const std::string& source, const std::string& destination) {
    const std::wstring from = toWide(source);
    const std::wstring to = toWide(destination);
    BY_HANDLE_FILE_INFORMATION status{};
    if (auto error = describeSource(from, status))
        return error;
    // Where nothing stands at the destination, nothing there can be the source, and a rename
    // that replaces nothing does the move at once. Anything else there, the source itself under
    // other letters, separators or its short name included, goes through the checks below.
    if (::GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES &&
        ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        if (::MoveFileExW(from.c_str(), to.c_str(), 0))
            return {};
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS &&
            error != ERROR_NOT_SAME_DEVICE)
            return windows::errorFrom(error);
    }
    bool targetExists = false;
    BY_HANDLE_FILE_INFORMATION target{};
    if (auto error = describe(to, targetExists, target))
        return error;
    // The same file under any name: a move would at best do nothing, and onto another name of
    // it would lose that name.
    if (targetExists && sameFile(status, target))
        return std::make_error_code(std::errc::file_exists);
    if (targetExists && isFolder(target))
        return std::make_error_code(std::errc::is_a_directory);
    // Without MOVEFILE_COPY_ALLOWED this only renames within one volume; across volumes the copy
    // below checks the source before deleting it.
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return {};
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE)
        return lastError();
    BY_HANDLE_FILE_INFORMATION copied{};
    std::optional<JournalEntry> journal;
    if (auto error = copyInto(source, destination, copied, AtDestination::Replace,
                              JournalKind::Move, journal))
        return error;
    return deleteIfUnchanged(from, copied);
}

std::error_code DeleteFileEntry(const std::string& path) {
    const std::wstring wide = toWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastError();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::make_error_code(std::errc::is_a_directory);
    if (!::DeleteFileW(wide.c_str()))
        return lastError();
    return {};
}

std::error_code MoveFileNoReplace(const std::string& source, const std::string& destination,
                                  std::optional<FileIdentity>& moved) {
    if (auto error = MoveFileNoReplace(source, destination))
        return error;
    moved = IdentifyFile(destination);
    return {};
}

std::error_code MoveFileReplacing(const std::string& source, const std::string& destination,
                                  std::optional<FileIdentity>& moved) {
    if (auto error = MoveFileReplacing(source, destination))
        return error;
    moved = IdentifyFile(destination);
    return {};
}

} // namespace lp::platform
