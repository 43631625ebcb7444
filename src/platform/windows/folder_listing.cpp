#include "platform/folder_listing.h"

#include "file_time.h"

namespace lp::platform {

namespace {

using windows::toUtf8;
using windows::toWide;

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

bool isDotOrDotDot(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails) {
    std::wstring pattern = toWide(folder);
    if (pattern.empty() || !isFolder(pattern))
        return std::nullopt;
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';

    // One call per batch of entries hands out every detail at once: no call per entry.
    WIN32_FIND_DATAW found{};
    const FindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
    std::vector<FolderEntry> entries;
    if (search.get() == INVALID_HANDLE_VALUE) {
        // The root of a drive has no "." and "..", so an empty one matches nothing at all.
        if (::GetLastError() == ERROR_FILE_NOT_FOUND)
            return entries;
        return std::nullopt;
    }
    do {
        if (isDotOrDotDot(found.cFileName))
            continue;
        FolderEntry& added = entries.emplace_back();
        added.name = toUtf8(found.cFileName);
        if (!withDetails)
            continue;
        added.isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        added.size =
            added.isFolder
                ? 0
                : static_cast<std::int64_t>(
                      (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
        added.date = windows::localDateTimeOf(found.ftLastWriteTime);
        added.writeInstant = windows::nanosecondsSinceEpoch(found.ftLastWriteTime);
    } while (::FindNextFileW(search.get(), &found));
    // A listing that broke off part way would make the missing entries look deleted.
    if (::GetLastError() != ERROR_NO_MORE_FILES)
        return std::nullopt;
    return entries;
}

} // namespace lp::platform
