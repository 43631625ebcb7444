#include "stale_copies.h"

#include "windows_support.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <mutex>
#include <optional>
#include <set>

namespace lp::platform::windows {

namespace {

constexpr std::wstring_view kCopyPrefix = L".larchpost-copy-";

// A day in the 100-nanosecond steps of a file time.
constexpr ULONGLONG kStaleAfter = 24ULL * 60 * 60 * 10'000'000;

ULONGLONG now() {
    FILETIME time{};
    ::GetSystemTimeAsFileTime(&time);
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// When a name that NewCopyName made was made; nothing for any other name.
std::optional<ULONGLONG> madeAt(std::wstring_view name) {
    if (!name.starts_with(kCopyPrefix))
        return std::nullopt;
    name.remove_prefix(kCopyPrefix.size());
    ULONGLONG last = 0;
    for (int run = 0; run < 3; ++run) {
        const auto end = std::find_if_not(name.begin(), name.end(),
                                          [](wchar_t c) { return c >= L'0' && c <= L'9'; });
        const std::wstring digits(name.begin(), end);
        if (digits.empty() || digits.size() > 19)
            return std::nullopt;
        last = std::stoull(digits);
        name.remove_prefix(digits.size());
        if (run < 2) {
            if (name.empty() || name.front() != L'-')
                return std::nullopt;
            name.remove_prefix(1);
        }
    }
    if (!name.empty())
        return std::nullopt;
    return last;
}

std::wstring withSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

} // namespace

std::wstring NewCopyName() {
    static std::atomic<unsigned> counter{0};
    return std::wstring(kCopyPrefix) + std::to_wstring(::GetCurrentProcessId()) + L'-' +
           std::to_wstring(++counter) + L'-' + std::to_wstring(now());
}

void RemoveStaleCopies(const std::wstring& folder) {
    const std::wstring base = withSeparator(folder);
    const std::wstring pattern = base + std::wstring(kCopyPrefix) + L"*";
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    const ULONGLONG staleBefore = now() - kStaleAfter;
    do {
        constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if ((entry.dwFileAttributes & kNotAFile) != 0)
            continue;
        if (const auto made = madeAt(entry.cFileName); made && *made < staleBefore)
            ::DeleteFileW((base + entry.cFileName).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

void RemoveStaleCopiesOnce(const std::wstring& folder) {
    // Leftovers only come from a killed program, so one look at each folder per run is enough.
    std::wstring key = folder;
    std::replace(key.begin(), key.end(), L'/', L'\\');
    while (key.size() > 1 && key.back() == L'\\')
        key.pop_back();
    std::transform(key.begin(), key.end(), key.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    static std::mutex mutex;
    static std::set<std::wstring> seen;
    {
        const std::lock_guard lock(mutex);
        if (!seen.insert(key).second)
            return;
    }
    RemoveStaleCopies(folder);
}

} // namespace lp::platform::windows
