#pragma once
// Everything a monitor cycle needs from outside itself: the folders, whether a file is still being
// written, the file operations, the program launcher, the date and the clock. The program hands it
// the real ones; tests and the simulation hand it others.

#include "platform/capture_date.h"
#include "platform/file_content.h"
#include "platform/file_identity.h"
#include "platform/folder_listing.h"
#include "platform/folder_observer.h"
#include "platform/held_folder.h"
#include "platform/path_separator.h"
#include "same_contents.h"
#include "sorting_policy.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

// How far the retries of a file that an operation failed on have come; each is said once.
enum class RetryStage : std::uint8_t {
    WillRetry, // the first failure: the rule takes the file up again from the next cycle on
    Hourly,    // the intervals have grown to an hour
    GivenUp,   // tried for a day: left alone until it changes
};

class CycleEnvironment {
public:
    virtual ~CycleEnvironment() = default;

    // Nothing when the folder cannot be listed at all; see platform::ListFolder.
    virtual std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                         bool withDetails) = 0;
    // As listFolder, into entries, whose storage is used again; false when the folder cannot be
    // listed, entries then holding nothing.
    virtual bool listFolderInto(const std::string& folder, bool withDetails,
                                std::vector<platform::FolderEntry>& entries) {
        auto listing = listFolder(folder, withDetails);
        entries = listing ? std::move(*listing) : std::vector<platform::FolderEntry>{};
        return listing.has_value();
    }
    // Just the names of the folder's entries, as listFolder without details gives them.
    virtual bool listNamesInto(const std::string& folder, std::vector<std::string>& names) {
        auto listing = listFolder(folder, false);
        names.clear();
        if (!listing)
            return false;
        for (auto& entry : *listing)
            names.push_back(std::move(entry.name));
        return true;
    }
    // What tells whether a folder changed since it was last listed, so that an unchanged one need
    // not be listed again; none (the default) means every folder is listed in full each time.
    virtual platform::FolderObserver* folderObserver() { return nullptr; }
    // Whether another program still has the file open for writing; false when it cannot be told.
    // listedAsPlainFile: the listing the turn took saw a plain file there (FolderEntry::plainFile),
    // so its type need not be asked again.
    virtual bool fileInUse(const std::string& path, bool listedAsPlainFile) = 0;
    // Names the folder and the rule that the operations from now on are done for.
    virtual void actFor(const std::string& folder, const std::string& rule) = 0;
    // A copy or move gives back the path the file got: destination, or under KeepBoth the
    // numbered name it took there; nothing when it failed. The other operations say whether they
    // were done. A failure is passed over by the cycle.
    virtual std::optional<std::string>
    copyFile(const std::string& source, const std::string& destination, NameClash clash) = 0;
    virtual std::optional<std::string>
    moveFile(const std::string& source, const std::string& destination, NameClash clash) = 0;
    // What identifies the file that the copy or move just made placed at path, for the log:
    // read there, unless the environment knows it without looking again.
    virtual std::optional<platform::FileIdentity> placedIdentity(const std::string& path) {
        return platform::IdentifyFile(path);
    }
    // What identifies the file at path now, read there.
    virtual std::optional<platform::FileIdentity> identityNow(const std::string& path) {
        return platform::IdentifyFile(path);
    }
    // Whether a copy of the file at source stands at destination already; see CopyStandsAt.
    virtual bool copyStands(const std::string& source, const std::string& destination) {
        return CopyStandsAt(source, destination);
    }
    // What the type and origin conditions read from a file; see platform/file_content.h.
    virtual std::optional<platform::FileIdentity> regularFileVersion(const std::string& path) {
        return platform::RegularFileVersion(path);
    }
    virtual std::optional<platform::ContentType> readContentType(const std::string& path) {
        return platform::ReadContentType(path);
    }
    virtual std::optional<std::string> downloadOrigin(const std::string& path) {
        return platform::DownloadOrigin(path);
    }
    // Makes the folders below fixedFolder that a destination with placeholders names, where they
    // are missing (see platform::MakeFoldersBelow), and gives back the path they come to; nothing
    // when fixedFolder is missing or a folder cannot be made, failureReason then saying why. made
    // receives the folders made (or, in a simulation, foreseen to be made), the outermost first.
    virtual std::optional<std::string> makeFolders(const std::string& fixedFolder,
                                                   const std::vector<std::string>& below,
                                                   std::vector<std::string>& made) = 0;
    // The capture date a photo at path carries (see platform::CaptureDate); asked only for a
    // template that uses one, once per file and action.
    virtual std::optional<double> captureDate(const std::string& path) {
        return platform::CaptureDate(path);
    }
    // Removes the folders a failed operation made for its file (made as makeFolders gave them,
    // the outermost first), innermost first, each only while it is empty.
    virtual void removeMadeFolders(const std::vector<std::string>& made) { (void)made; }
    // The folder below ("a/b") of top, held (see HoldSubFolder); nothing when a folder on the
    // way is a link, no folder, or a mount. An environment that changes nothing holds nothing and
    // gives the folder's path.
    virtual std::optional<platform::HeldFolder> holdFolder(const std::string& top,
                                                           std::string_view below) {
        std::string path = top;
        if (!below.empty())
            path.append(1, platform::kPathSeparator).append(below);
        std::ranges::replace(path.begin() + static_cast<std::ptrdiff_t>(top.size()), path.end(),
                             '/', platform::kPathSeparator);
        return platform::HeldFolder(-1, std::move(path));
    }
    // From now on, the files in folder (which the operations still name by their paths, as do
    // the lines they write) are reached through heldPath, the path of a HeldFolder: a folder
    // swapped for a link meanwhile leads nowhere else. Several folders may be held at once; an
    // empty heldPath lets folder go, and an empty folder all of them.
    virtual void reachThrough(const std::string& folder, const std::string& heldPath) {
        (void)folder, (void)heldPath;
    }
    virtual bool deleteFile(const std::string& path) = 0;
    // Moves the file to the desktop's trash instead of deleting it.
    virtual bool trashFile(const std::string& path) = 0;
    virtual bool launch(const std::string& program, const std::vector<std::string>& arguments) = 0;
    // Why the operation that failed last did, in words (see failure_reason.h); empty when the
    // environment cannot tell.
    virtual std::string failureReason() { return {}; }
    // Says that an operation was not even tried on the file at path, for the folder and rule
    // named last, and why (the rule could not make a new name from it).
    virtual void operationRefused(std::string_view verb, const std::string& path,
                                  std::string_view reason) {
        (void)verb, (void)path, (void)reason;
    }
    // Says how far the retries of the file at path have come, for the folder and rule named last.
    virtual void retryStage(RetryStage stage, const std::string& path) = 0;
    // The start of the current local day as a date-time.
    virtual double today() = 0;
    // A clock that never runs back, which spaces the retries.
    virtual std::chrono::steady_clock::time_point now() = 0;
};

} // namespace lp
