#include "system_environment.h"
#include "platform/file_in_use.h"
#include "platform/file_operations.h"
#include "platform/launcher.h"
#include "platform/local_time.h"

namespace lp {

std::optional<std::vector<platform::FolderEntry>>
SystemEnvironment::listFolder(const std::string& folder, bool withDetails) {
    std::size_t& lastCount = lastCounts_[folder];
    // A little room to grow, so that a few arrivals do not make the list move whole.
    auto listing = platform::ListFolder(folder, withDetails, lastCount + lastCount / 32);
    lastCount = listing ? listing->size() : 0;
    return listing;
}
bool SystemEnvironment::listFolderInto(const std::string& folder, bool withDetails,
                                       std::vector<platform::FolderEntry>& entries) {
    return platform::ListFolderInto(folder, withDetails, entries);
}
bool SystemEnvironment::listNamesInto(const std::string& folder, std::vector<std::string>& names) {
    return platform::ListNamesInto(folder, names);
}
platform::FolderObserver* SystemEnvironment::folderObserver() {
    if (!observer_)
        observer_ = platform::OpenFolderObserver();
    return observer_.get();
}
bool SystemEnvironment::fileInUse(const std::string& path) {
    return platform::FileOpenForWriting(path);
}
bool SystemEnvironment::copyFile(const std::string& source, const std::string& destination) {
    return !platform::CopyFileReplacing(source, destination);
}
bool SystemEnvironment::moveFile(const std::string& source, const std::string& destination) {
    return !platform::MoveFileReplacing(source, destination);
}
bool SystemEnvironment::deleteFile(const std::string& path) {
    return !platform::DeleteFileEntry(path);
}
bool SystemEnvironment::launch(const std::string& program,
                               const std::vector<std::string>& arguments) {
    return !platform::StartProgram(program, arguments);
}
double SystemEnvironment::today() {
    return platform::LocalToday();
}

} // namespace lp
