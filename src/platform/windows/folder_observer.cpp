#include "platform/folder_observer.h"

#include "file_time.h"

#include <chrono>

namespace lp::platform {

namespace {

// No watch and no trusted folder status here: every folder is listed in full each cycle, as it
// always may be; only single entries can be looked at again.
class UnwatchedObserver : public FolderObserver {
public:
    std::optional<FolderStamp> stamp(const std::string&) override { return std::nullopt; }
    int watch(const std::string&) override { return -1; }
    void unwatch(int) override {}
    FolderChanges takeChanges(int) override { return {}; }

    EntryLook examine(const std::string& folder,
                      const std::vector<FolderEntry*>& entries) override {
        std::wstring prefix = windows::toWide(folder);
        if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/')
            prefix += L'\\';
        for (FolderEntry* entry : entries) {
            // Like the listing, a link is described as itself, not as what it leads to.
            WIN32_FILE_ATTRIBUTE_DATA data{};
            const std::wstring path = prefix + windows::toWide(entry->name);
            if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
                const DWORD error = ::GetLastError();
                return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                           ? EntryLook::Vanished
                           : EntryLook::Failed;
            }
            entry->isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entry->size = entry->isFolder
                              ? 0
                              : static_cast<std::int64_t>(
                                    (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                    data.nFileSizeLow);
            entry->date = windows::localDateTimeOf(data.ftLastWriteTime);
            entry->writeInstant = windows::nanosecondsSinceEpoch(data.ftLastWriteTime);
            entry->watchable = false;
        }
        return EntryLook::Found;
    }

    std::int64_t now() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    }
};

} // namespace

std::unique_ptr<FolderObserver> OpenFolderObserver() {
    return std::make_unique<UnwatchedObserver>();
}

} // namespace lp::platform
