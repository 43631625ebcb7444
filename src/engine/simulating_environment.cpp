#include "simulating_environment.h"
#include "failure_reason.h"
#include "globals/path_template.h"
#include "platform/folder_making.h"
#include "platform/launcher.h"
#include "platform/path_separator.h"
#include "platform/removal_permission.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <limits>

namespace lp {

namespace {

using platform::EntryStatus;
using platform::PathLeadsTo;

// One spelling per path, so that "/out//a" and "/out/a" name the same folder where nothing
// better tells.
std::string normalised(const std::string& path) {
    const std::u8string text = platform::Utf8Path(path).lexically_normal().u8string();
    return std::string(text.begin(), text.end());
}

std::string folderPart(const std::string& path) {
    const auto slash = path.find_last_of(platform::kPathSeparators);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string(1, platform::kPathSeparator) : path.substr(0, slash);
}

std::string namePart(const std::string& path) {
    const auto slash = path.find_last_of(platform::kPathSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder that an operation would put destination into. Folders are never created or removed
// by the operations, so the disk tells.
EntryStatus receivingFolder(const std::string& destination) {
    return platform::ExamineEntry(folderPart(destination));
}

// An entry as a listing without details shows it.
platform::FolderEntry named(const std::string& name) {
    platform::FolderEntry entry;
    entry.name = name;
    return entry;
}

// A move or delete takes the entry itself, a link included; a folder never.
bool takeable(const EntryStatus& source) {
    return source.exists && !source.isFolder;
}

} // namespace

SimulatingEnvironment::SimulatingEnvironment(CycleEnvironment& inner, TrashMover foreseeTrash)
    : inner_(inner), foreseeTrash_(std::move(foreseeTrash)) {}

TrashMover SimulatingEnvironment::TakesAll() {
    return [](const std::string&) { return std::error_code{}; };
}

std::optional<std::vector<platform::FolderEntry>>
SimulatingEnvironment::listFolder(const std::string& folder, bool withDetails) {
    auto listing = inner_.listFolder(folder, withDetails);
    if (!listing)
        return listing;
    FolderView& view = viewOf(folder);
    if (withDetails && !view.detailed)
        view.detailed = *listing;
    if (view.entries.empty())
        return listing;
    // What the disk lists, with each foreseen name as it would then be; the names only foreseen
    // come after, as new entries of a folder do.
    std::vector<bool> placed(view.entries.size(), false);
    std::vector<platform::FolderEntry> entries;
    entries.reserve(listing->size() + view.entries.size());
    for (platform::FolderEntry& entry : *listing) {
        const auto found = view.byName.find(entry.name);
        if (found == view.byName.end()) {
            entries.push_back(std::move(entry));
            continue;
        }
        placed[found->second] = true;
        if (const Foreseen& foreseen = view.entries[found->second]; foreseen.status.exists)
            entries.push_back(withDetails ? foreseen.listed : named(entry.name));
    }
    for (std::size_t i = 0; i < view.entries.size(); ++i) {
        const Foreseen& foreseen = view.entries[i];
        if (!placed[i] && foreseen.status.exists)
            entries.push_back(withDetails ? foreseen.listed : named(foreseen.listed.name));
    }
    return entries;
}
bool SimulatingEnvironment::listFolderInto(const std::string& folder, bool withDetails,
                                           std::vector<platform::FolderEntry>& entries) {
    return inner_.listFolderInto(folder, withDetails, entries);
}
bool SimulatingEnvironment::listNamesInto(const std::string& folder,
                                          std::vector<std::string>& names) {
    return inner_.listNamesInto(folder, names);
}
platform::FolderObserver* SimulatingEnvironment::folderObserver() {
    return inner_.folderObserver();
}
bool SimulatingEnvironment::fileInUse(const std::string& path, bool listedAsPlainFile) {
    return inner_.fileInUse(path, listedAsPlainFile);
}
void SimulatingEnvironment::retryStage(RetryStage stage, const std::string& path) {
    inner_.retryStage(stage, path);
}
double SimulatingEnvironment::today() {
    return inner_.today();
}
std::chrono::steady_clock::time_point SimulatingEnvironment::now() {
    return inner_.now();
}

SimulatingEnvironment::FolderView& SimulatingEnvironment::viewOf(const std::string& folder) {
    auto known = identities_.find(folder);
    if (known == identities_.end()) {
        // Folders are never created or removed by the operations, so what a path reaches stays.
        const EntryStatus status = platform::ExamineEntry(folder);
        std::string identity =
            status.leadsTo == PathLeadsTo::Folder
                ? std::to_string(status.device) + ":" + std::to_string(status.inode)
                : "path:" + normalised(folder);
        known = identities_.emplace(folder, std::move(identity)).first;
    }
    return views_[known->second];
}

const SimulatingEnvironment::Foreseen* SimulatingEnvironment::foreseenAt(const std::string& path) {
    const FolderView& view = viewOf(folderPart(path));
    const auto found = view.byName.find(namePart(path));
    return found == view.byName.end() ? nullptr : &view.entries[found->second];
}

EntryStatus SimulatingEnvironment::at(const std::string& path) {
    if (const Foreseen* foreseen = foreseenAt(path))
        return foreseen->status;
    return platform::ExamineEntry(path);
}

platform::FolderEntry SimulatingEnvironment::listedAt(const std::string& path) {
    if (const Foreseen* foreseen = foreseenAt(path))
        return foreseen->listed;
    const std::string name = namePart(path);
    FolderView& view = viewOf(folderPart(path));
    if (!view.detailed)
        view.detailed = inner_.listFolder(folderPart(path), true)
                            .value_or(std::vector<platform::FolderEntry>{});
    if (view.detailedByName.empty())
        for (std::size_t i = 0; i < view.detailed->size(); ++i)
            view.detailedByName.try_emplace((*view.detailed)[i].name, i); // the first of a name
    const auto found = view.detailedByName.find(name);
    return found != view.detailedByName.end() ? (*view.detailed)[found->second] : named(name);
}

void SimulatingEnvironment::foresee(const std::string& path, const EntryStatus& status,
                                    platform::FolderEntry listed) {
    listed.name = namePart(path);
    FolderView& view = viewOf(folderPart(path));
    const auto [found, added] = view.byName.try_emplace(listed.name, view.entries.size());
    if (added)
        view.entries.push_back({status, std::move(listed)});
    else
        view.entries[found->second] = {status, std::move(listed)};
}

std::string SimulatingEnvironment::failureReason() {
    return reason_;
}

std::nullopt_t SimulatingEnvironment::refused(std::string_view reason) {
    reason_ = reason;
    return std::nullopt;
}

bool SimulatingEnvironment::canTake(const std::string& path, const EntryStatus& source) {
    if (!source.exists)
        refused(kFileGone);
    else if (source.isFolder)
        refused(FailureReason(std::make_error_code(std::errc::is_a_directory)));
    if (!takeable(source))
        return false;
    // A folder the user may not change (a write-protected card, another user's folder) keeps
    // what is in it; the disk tells, since operations never change a folder's permissions.
    if (const std::error_code refusal = platform::ForeseeRemovalRefusal(path)) {
        refused(FailureReason(refusal));
        return false;
    }
    return true;
}

Placing SimulatingEnvironment::placing(const EntryStatus& source, const std::string& destination,
                                       bool replace) {
    // Folders are never created or removed by the operations, so the disk tells.
    if (!foreseenFolders_.contains(folderPart(destination)) &&
        (receivingFolder(destination).leadsTo != PathLeadsTo::Folder ||
         absentDrives_.awaitsDrive(destination))) {
        refused(kFolderMissing);
        return Placing::Failed;
    }
    const EntryStatus target = at(destination);
    if (target.nameTooLong) { // a numbered name may outgrow what the file system takes
        refused(FailureReason(std::make_error_code(std::errc::filename_too_long)));
        return Placing::Failed;
    }
    if (source.sameFileAs(target)) {
        refused(kOntoItself);
        return Placing::Failed;
    }
    if (!replace && target.exists) {
        refused(kNameTakenLeft); // unless a numbered name is tried next
        return Placing::NameTaken;
    }
    if (target.isFolder) {
        refused(FailureReason(std::make_error_code(std::errc::is_a_directory)));
        return Placing::Failed;
    }
    return Placing::Done;
}

std::optional<std::string> SimulatingEnvironment::copyFile(const std::string& source,
                                                           const std::string& destination,
                                                           NameClash clash) {
    const EntryStatus from = at(source);
    // A copy reads what the path leads to, through links; only a file is ever read.
    if (from.leadsTo != PathLeadsTo::File) {
        if (!from.exists)
            return refused(kFileGone);
        if (from.leadsTo == PathLeadsTo::Nothing) // a link that leads nowhere
            return refused(
                FailureReason(std::make_error_code(std::errc::no_such_file_or_directory)));
        if (from.leadsTo == PathLeadsTo::Folder)
            return refused(FailureReason(std::make_error_code(std::errc::is_a_directory)));
        return refused(kNeverCopied);
    }
    return PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
        const Placing foreseen = placing(from, path, replace);
        if (foreseen == Placing::Done) {
            EntryStatus copy;
            copy.exists = true;
            copy.leadsTo = PathLeadsTo::File;
            copy.device = std::numeric_limits<std::uint64_t>::max(); // no device of the disk's
            copy.inode = ++copiesMade_;
            // A copy keeps the size and the last-write time of what it copied.
            foresee(path, copy, listedAt(source));
            std::string content = contentOf(source); // before the map may grow
            contentFrom_[path] = std::move(content);
        }
        return foreseen;
    });
}

std::optional<std::string> SimulatingEnvironment::moveFile(const std::string& source,
                                                           const std::string& destination,
                                                           NameClash clash) {
    const EntryStatus from = at(source);
    if (!canTake(source, from))
        return std::nullopt;
    // An entry that is never opened cannot be copied across, so only a rename moves it. (Being
    // no link, it is what its path reaches; and never changing file system, its foreseen status
    // stays right.)
    if (from.isSpecial && from.volume != receivingFolder(destination).volume)
        return refused(kNeverCopied);
    return PlaceAsPolicySays(destination, clash, [&](const std::string& path, bool replace) {
        const Placing foreseen = placing(from, path, replace);
        if (foreseen == Placing::Done) {
            foresee(path, from, listedAt(source));
            foresee(source, EntryStatus{}, {});
            std::string content = contentOf(source); // before the map may grow
            contentFrom_[path] = std::move(content);
        }
        return foreseen;
    });
}

const std::string& SimulatingEnvironment::contentOf(const std::string& path) const {
    const auto from = contentFrom_.find(path);
    return from == contentFrom_.end() ? path : from->second;
}

std::optional<double> SimulatingEnvironment::captureDate(const std::string& path) {
    return inner_.captureDate(contentOf(path));
}

// The folders are foreseen, never made: the destination's own check then finds them.
std::optional<std::string> SimulatingEnvironment::makeFolders(const std::string& fixedFolder,
                                                              const std::vector<std::string>& below,
                                                              std::vector<std::string>& made) {
    made.clear();
    if (platform::ExamineEntry(fixedFolder).leadsTo != PathLeadsTo::Folder ||
        platform::AwaitsItsDrive(fixedFolder))
        return refused(std::string(kFolderMissing) + " (" + fixedFolder + ")");
    std::string path = fixedFolder;
    for (const std::string& name : below) {
        path = PathBelow(path, {name});
        if (foreseenFolders_.contains(path))
            continue;
        const EntryStatus status = at(path);
        if (status.exists && !status.isFolder)
            return refused(FailureReason(std::make_error_code(std::errc::not_a_directory)) + " (" +
                           PathBelow(fixedFolder, below) + ")");
        if (!status.exists) {
            foreseenFolders_.insert(path);
            made.push_back(path);
        }
    }
    return path;
}

bool SimulatingEnvironment::deleteFile(const std::string& path) {
    if (!canTake(path, at(path)))
        return false;
    foresee(path, EntryStatus{}, {});
    return true;
}

// The trash is judged by the file's name and folder, as they stand on the disk (a foreseen file
// is in a real folder too): a name too long for the trash's record, a trash that is missing and
// cannot be made, or may not be written, or is full. What happens to the disk meanwhile cannot be
// foreseen.
bool SimulatingEnvironment::trashFile(const std::string& path) {
    if (!foreseeTrash_) {
        refused(kNoTrash);
        return false;
    }
    if (!canTake(path, at(path)))
        return false;
    if (const std::error_code refusal = foreseeTrash_(path)) {
        refused(FailureReason(refusal));
        return false;
    }
    foresee(path, EntryStatus{}, {});
    return true;
}

void SimulatingEnvironment::actFor(const std::string& folder, const std::string& rule) {
    inner_.actFor(folder, rule);
}

bool SimulatingEnvironment::launch(const std::string& program, const std::vector<std::string>&) {
    if (platform::ProgramStartable(program))
        return true;
    refused(FailureReason(std::make_error_code(std::errc::no_such_file_or_directory)));
    return false;
}

} // namespace lp
