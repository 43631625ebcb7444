#include "platform/folder_listing.h"

#include "file_time.h"

#include <cwchar>

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

bool isWorkingName(const wchar_t* name) {
    if (name[0] != L'.')
        return false;
    const std::wstring prefix(kWorkingNamePrefix.begin(), kWorkingNamePrefix.end());
    return std::wcsncmp(name, prefix.c_str(), prefix.size()) == 0;
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Calls take(found) for each entry but "." and ".." and a working file of ours; false when the
// folder cannot be listed whole.
template <typename Take> bool readEntries(const std::string& folder, Take take) {
    std::wstring pattern = toWide(folder);
    if (pattern.empty() || !isFolder(pattern))
        return false;
    if (pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';

    // One call per batch of entries hands out every detail at once: no call per entry.
    WIN32_FIND_DATAW found{};
    const FindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr,
                                               FIND_FIRST_EX_LARGE_FETCH));
    if (search.get() == INVALID_HANDLE_VALUE)
        // The root of a drive has no "." and "..", so an empty one matches nothing at all.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        if (!isDotOrDotDot(found.cFileName) && !isWorkingName(found.cFileName))
            take(found);
    } while (::FindNextFileW(search.get(), &found));
    // A listing that broke off part way would make the missing entries look deleted.
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

} // namespace

bool ListFolderInto(const std::string& folder, bool withDetails,
                    std::vector<FolderEntry>& entries) {
    std::size_t count = 0;
    const bool whole = readEntries(folder, [&](const WIN32_FIND_DATAW& found) {
        if (count == entries.size())
            entries.emplace_back();
        FolderEntry& entry = entries[count++];
        entry.name = toUtf8(found.cFileName);
        entry.isFolder = withDetails && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.size =
            withDetails && !entry.isFolder
                ? static_cast<std::int64_t>(
                      (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow)
                : 0;
        entry.date = withDetails ? windows::localDateTimeOf(found.ftLastWriteTime) : 0.0;
        entry.writeInstant =
            withDetails
                ? std::optional<std::int64_t>(windows::nanosecondsSinceEpoch(found.ftLastWriteTime))
                : std::nullopt;
        // No watch here, so no entry counts as seen by one.
        entry.watchable = false;
    });
    entries.resize(whole ? count : 0);
    return whole;
}

bool ListNamesInto(const std::string& folder, std::vector<std::string>& names) {
    std::size_t count = 0;
    const bool whole = readEntries(folder, [&](const WIN32_FIND_DATAW& found) {
        if (count == names.size())
            names.emplace_back();
        names[count++] = toUtf8(found.cFileName);
    });
    names.resize(whole ? count : 0);
    return whole;
}

} // namespace lp::platform
