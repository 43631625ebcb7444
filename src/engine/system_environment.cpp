#include "system_environment.h"
#include "platform/folder_making.h"

#include "failure_reason.h"
#include "globals/path_template.h"
#include "name_clash.h"
#include "platform/copy_watch.h"
#include "platform/file_identity.h"
#include "platform/file_in_use.h"
#include "platform/file_operations.h"
#include "platform/held_folder.h"
#include "platform/launcher.h"
#include "platform/local_time.h"
#include "platform/path_separator.h"

#include <algorithm>

namespace lp {

namespace {

// What a copy or move to one name that ended with error came to: a name found taken is tried
// again under another where the policy keeps both.
Placing placingAfter(std::error_code error, bool replace) {
    if (!error)
        return Placing::Done;
    return !replace && error == std::errc::file_exists ? Placing::NameTaken : Placing::Failed;
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
bool SystemEnvironment::fileInUse(const std::string& path, bool listedAsPlainFile) {
    return listedAsPlainFile ? platform::ListedFileOpenForWriting(path)
                             : platform::FileOpenForWriting(path);
}
void SystemEnvironment::actFor(const std::string& folder, const std::string& rule) {
    copied_.clear();
    absentDrives_.forget(); // a drive may have been plugged in since
    // A long copy shows them with its progress.
    platform::CopiesDoneFor(folder, rule);
}
bool SystemEnvironment::changedSinceCopied(const std::string& path) {
    const auto copy = copied_.find(path);
    if (copy == copied_.end())
        return false;
    // A file gone meanwhile fails its delete on its own.
    const std::optional<platform::FileIdentity> now = platform::IdentifyFile(reached(path));
    if (!now || (now->size == copy->second.size && now->modifiedNs == copy->second.modifiedNs))
        return false;
    reason_ = kChangedSinceCopy;
    return true;
}
bool SystemEnvironment::done(std::error_code error) {
    if (error)
        reason_ = FailureReason(error);
    return !error;
}
std::optional<std::string> SystemEnvironment::placed(std::optional<std::string> path,
                                                     std::error_code error,
                                                     const std::string& source,
                                                     const std::string& destination,
                                                     NameClash clash) {
    if (!path)
        reason_ = TransferFailureReason(error, source, destination, clash);
    return path;
}
std::optional<std::string> SystemEnvironment::makeFolders(const std::string& fixedFolder,
                                                          const std::vector<std::string>& below,
                                                          std::vector<std::string>& made) {
    const std::error_code error = platform::MakeFoldersBelow(fixedFolder, below, made);
    if (error) {
        // A missing fixed folder is most likely a drive that is not plugged in: it is never made
        // again on the disk it would otherwise land on.
        reason_ = error == std::errc::no_such_file_or_directory
                      ? std::string(kFolderMissing) + " (" + fixedFolder + ")"
                      : FailureReason(error) + " (" + PathBelow(fixedFolder, below) + ")";
        return std::nullopt;
    }
    return PathBelow(fixedFolder, below);
}
bool SystemEnvironment::destinationAwaitsDrive(const std::string& destination) {
    if (!absentDrives_.awaitsDrive(destination))
        return false;
    reason_ = kFolderMissing;
    return true;
}
std::string SystemEnvironment::failureReason() {
    return reason_;
}
std::optional<std::string> SystemEnvironment::copyFile(const std::string& source,
                                                       const std::string& destination,
                                                       NameClash clash) {
    movedTo_.clear();
    if (destinationAwaitsDrive(destination))
        return std::nullopt;
    std::error_code error;
    const std::string from = reached(source);
    std::optional<std::string> placedAt =
        PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
            error = replace ? platform::CopyFileReplacing(from, reached(path))
                            : platform::CopyFileNoReplace(from, reached(path));
            return placingAfter(error, replace);
        });
    if (const auto made = placedAt ? platform::IdentifyFile(reached(*placedAt)) : std::nullopt)
        copied_[source] = *made;
    return placed(std::move(placedAt), error, source, destination, clash);
}
std::optional<std::string> SystemEnvironment::moveFile(const std::string& source,
                                                       const std::string& destination,
                                                       NameClash clash) {
    movedTo_.clear();
    // A move after a copy would carry on what the copy lacks, as a delete would lose it.
    if (changedSinceCopied(source) || destinationAwaitsDrive(destination))
        return std::nullopt;
    std::error_code error;
    std::optional<std::string> placedAt =
        PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
            error = replace ? platform::MoveFileReplacing(reached(source), reached(path), moved_)
                            : platform::MoveFileNoReplace(reached(source), reached(path), moved_);
            return placingAfter(error, replace);
        });
    if (placedAt)
        movedTo_ = *placedAt;
    return placed(std::move(placedAt), error, source, destination, clash);
}
std::optional<platform::FileIdentity> SystemEnvironment::placedIdentity(const std::string& path) {
    // The move's own: read at the destination, it would be whatever stands there by now.
    if (!movedTo_.empty() && path == movedTo_)
        return moved_;
    return platform::IdentifyFile(reached(path));
}
std::optional<platform::FileIdentity> SystemEnvironment::identityNow(const std::string& path) {
    return platform::IdentifyFile(reached(path));
}
std::optional<platform::HeldFolder> SystemEnvironment::holdFolder(const std::string& top,
                                                                  std::string_view below) {
    return platform::HoldSubFolder(top, below);
}
void SystemEnvironment::removeMadeFolders(const std::vector<std::string>& made) {
    // A folder that holds anything, another file's or one arrived meanwhile, stays; and so do
    // the folders around it.
    (void)std::find_if(made.rbegin(), made.rend(), [](const std::string& folder) {
        return static_cast<bool>(platform::RemoveEmptyFolder(folder));
    });
}
void SystemEnvironment::reachThrough(const std::string& folder, const std::string& heldPath) {
    std::erase_if(heldFolders_, [&](const auto& held) { return held.first == folder; });
    if (!folder.empty() && !heldPath.empty())
        heldFolders_.emplace_back(folder, heldPath);
    else if (folder.empty())
        heldFolders_.clear();
}
bool SystemEnvironment::copyStands(const std::string& source, const std::string& destination) {
    return CopyStandsAt(reached(source), reached(destination));
}
std::string SystemEnvironment::reached(const std::string& path) const {
    const std::pair<std::string, std::string>* through = nullptr;
    for (const auto& held : heldFolders_) {
        const std::string& folder = held.first;
        if (path.size() > folder.size() && path.starts_with(folder) &&
            platform::kPathSeparators.find(path[folder.size()]) != std::string_view::npos &&
            (!through || folder.size() > through->first.size()))
            through = &held;
    }
    return through ? through->second + path.substr(through->first.size()) : path;
}
bool SystemEnvironment::deleteFile(const std::string& path) {
    if (changedSinceCopied(path))
        return false;
    return done(platform::DeleteFileEntry(reached(path)));
}
bool SystemEnvironment::trashFile(const std::string& path) {
    if (changedSinceCopied(path))
        return false;
    if (!trash_) {
        reason_ = kNoTrash;
        return false;
    }
    return done(trash_(reached(path)));
}
bool SystemEnvironment::launch(const std::string& program,
                               const std::vector<std::string>& arguments) {
    return done(platform::StartProgram(program, arguments));
}
void SystemEnvironment::retryStage(RetryStage, const std::string&) {}
double SystemEnvironment::today() {
    return platform::LocalToday();
}
std::chrono::steady_clock::time_point SystemEnvironment::now() {
    return std::chrono::steady_clock::now();
}

} // namespace lp
