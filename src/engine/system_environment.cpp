#include "system_environment.h"
#include "name_clash.h"
#include "platform/file_identity.h"
#include "platform/file_in_use.h"
#include "platform/file_operations.h"
#include "platform/launcher.h"
#include "platform/local_time.h"

namespace lp {

namespace {

using Operation = std::error_code (*)(const std::string&, const std::string&);

// One attempt of a copy or move with the replacing or the never-replacing operation.
PlaceAttempt attemptWith(const std::string& source, Operation replacing, Operation noReplace) {
    return [&source, replacing, noReplace](const std::string& path, bool replace) {
        const std::error_code error = (replace ? replacing : noReplace)(source, path);
        if (!error)
            return Placing::Done;
        return !replace && error == std::errc::file_exists ? Placing::NameTaken : Placing::Failed;
    };
}

} // namespace

SystemEnvironment::SystemEnvironment(TrashMover trash) : trash_(std::move(trash)) {}

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
void SystemEnvironment::actFor(const std::string&, const std::string&) {}
std::optional<std::string> SystemEnvironment::copyFile(const std::string& source,
                                                       const std::string& destination,
                                                       NameClash clash) {
    return PlaceAsPolicySays(
        destination, clash,
        attemptWith(source, platform::CopyFileReplacing, platform::CopyFileNoReplace));
}
std::optional<std::string> SystemEnvironment::moveFile(const std::string& source,
                                                       const std::string& destination,
                                                       NameClash clash) {
    movedTo_.clear();
    std::optional<std::string> placed =
        PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
            const std::error_code error = replace
                                              ? platform::MoveFileReplacing(source, path, moved_)
                                              : platform::MoveFileNoReplace(source, path, moved_);
            if (!error)
                return Placing::Done;
            return !replace && error == std::errc::file_exists ? Placing::NameTaken
                                                               : Placing::Failed;
        });
    if (placed)
        movedTo_ = *placed;
    return placed;
}
std::optional<platform::FileIdentity> SystemEnvironment::placedIdentity(const std::string& path) {
    if (!movedTo_.empty() && path == movedTo_) {
        movedTo_.clear(); // told once: the file there may change from now on
        return moved_;
    }
    return platform::IdentifyFile(path);
}
bool SystemEnvironment::deleteFile(const std::string& path) {
    return !platform::DeleteFileEntry(path);
}
bool SystemEnvironment::trashFile(const std::string& path) {
    return trash_ && !trash_(path);
}
bool SystemEnvironment::launch(const std::string& program,
                               const std::vector<std::string>& arguments) {
    return !platform::StartProgram(program, arguments);
}
void SystemEnvironment::retryStage(RetryStage, const std::string&) {}
double SystemEnvironment::today() {
    return platform::LocalToday();
}
std::chrono::steady_clock::time_point SystemEnvironment::now() {
    return std::chrono::steady_clock::now();
}

} // namespace lp
