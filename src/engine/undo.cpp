#include "undo.h"
#include "failure_reason.h"

#include "counted.h"
#include "folder_tree.h"
#include "monitor_cycle.h"
#include "platform/entry_status.h"
#include "platform/file_identity.h"
#include "platform/file_operations.h"
#include "platform/folder_device.h"
#include "platform/local_time.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace lp {

namespace {

// Anything at all: a file, a folder, a dangling link.
bool occupied(const std::string& path) {
    return platform::ExamineEntry(path).exists;
}

UndoResult refused(std::string why) {
    UndoResult result;
    result.message = std::move(why);
    return result;
}

std::string failureText(const char* what, const std::error_code& error) {
    return std::string(what) + ": " + error.message() + ".";
}

// The undo's own line: the folder and rule of the entry it takes back.
ActivityEntry undoLine(const ActivityEntry& entry, const char* action,
                       std::vector<std::string> values) {
    ActivityEntry line;
    line.folder = entry.folder;
    line.rule = entry.rule;
    line.undo = true;
    line.action = action;
    line.values = std::move(values);
    return line;
}

// The folders the operation made for the file, innermost first, removed where they are empty
// again: one that holds anything, or is a link by now, stays.
void removeMadeFolders(const ActivityEntry& entry, const std::string& placedAt) {
    std::filesystem::path folder = platform::Utf8Path(placedAt).parent_path();
    for (std::int32_t i = 0; i < entry.madeFolders && folder.has_relative_path(); ++i) {
        std::error_code error;
        if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, error)) ||
            !std::filesystem::is_empty(folder, error) || error ||
            !std::filesystem::remove(folder, error))
            return;
        folder = folder.parent_path();
    }
}

// The outermost folder on the way from a watched tree to the sub-folder path lies in that is a
// link or a mount by now, when path lies in a sub-folder of a watched tree.
std::optional<std::string> subFolderNoLongerInTree(const ServiceTable& table,
                                                   const std::string& path) {
    const std::size_t nameStart = platform::NameStartIn(path);
    if (nameStart == 0)
        return std::nullopt;
    const std::string folder = path.substr(0, nameStart - 1);
    for (const rServiceRules& service : table.services) {
        if (service.subfolders == 0 || service.sharedir.empty())
            continue;
        std::string top = service.sharedir;
        while (top.size() > 1 && platform::kPathSeparators.find(top.back()) != std::string::npos)
            top.pop_back();
        if (folder.size() <= top.size() + 1 || !folder.starts_with(top) ||
            platform::kPathSeparators.find(folder[top.size()]) == std::string::npos)
            continue;
        // A folder that is gone is said as such when the move back fails.
        const std::string below = folder.substr(top.size() + 1);
        if (!platform::RealFolderAt(folder, true) || SubFolderStillInTree(top, below))
            continue;
        for (std::size_t end = below.find_first_of(platform::kPathSeparators);;
             end = below.find_first_of(platform::kPathSeparators, end + 1)) {
            if (end == std::string::npos || !SubFolderStillInTree(top, below.substr(0, end)))
                return folder.substr(0, top.size() + 1 + std::min(end, below.size()));
        }
    }
    return std::nullopt;
}

UndoResult moveBack(const ActivityEntry& entry, const ServiceTable& table) {
    const std::string& oldPlace = entry.values[0];
    const std::string& movedTo = entry.values[1];
    if (occupied(oldPlace))
        return refused("A file already stands at its old place.");
    // The move back would follow the link to wherever it leads.
    if (const auto folder = subFolderNoLongerInTree(table, oldPlace))
        return refused("The folder it was moved out of, " + *folder +
                       ", is a link or a mount now; the file stays where it is.");
    // Nothing replaces what may have arrived at the old place meanwhile: the move back fails
    // then, whatever the look above saw.
    const std::error_code error = platform::MoveFileNoReplace(movedTo, oldPlace);
    UndoResult result;
    result.logged = undoLine(entry, "move", {movedTo, oldPlace});
    if (error) {
        result.logged->failed = true;
        result.logged->reason = error == std::errc::file_exists ? "a file stands at its old place"
                                                                : FailureReason(error);
        result.message = error == std::errc::file_exists
                             ? "A file already stands at its old place."
                             : failureText("The file could not be moved back", error);
        // A folder (a sub-folder of a watched one, say) that is gone since is not made again:
        // it may be meant to be gone, or stand for a drive that is not plugged in.
        if (const auto slash = oldPlace.find_last_of(platform::kPathSeparators);
            slash != std::string::npos && slash > 0 &&
            !platform::RealFolderAt(oldPlace.substr(0, slash), true)) {
            result.logged->reason = "the folder it was moved out of is no longer there";
            result.message = "The folder it was moved out of, " + oldPlace.substr(0, slash) +
                             ", is no longer there; make it again to move the file back.";
        }
        return result;
    }
    result.logged->identity = platform::IdentifyFile(oldPlace);
    removeMadeFolders(entry, movedTo);
    result.done = true;
    return result;
}

UndoResult removeCopy(const ActivityEntry& entry) {
    const std::string& original = entry.values[0];
    const std::string& copy = entry.values[1];
    // Without its original the copy is the only one left: removing it would lose the file.
    if (!platform::IdentifyFile(original))
        return refused("The original file is no longer there, so the copy is kept.");
    const std::error_code error = platform::DeleteFileEntry(copy);
    UndoResult result;
    result.logged = undoLine(entry, "delete", {copy});
    if (error) {
        result.logged->failed = true;
        result.logged->reason = FailureReason(error);
        result.message = failureText("The copy could not be removed", error);
        return result;
    }
    removeMadeFolders(entry, copy);
    result.done = true;
    return result;
}

// A folder named two ways (a link, a trailing separator, "..") is still one folder: where both
// can be examined their identities decide, otherwise their spellings.
bool sameFolder(const std::string& sharedir, const std::filesystem::path& folder) {
    const platform::EntryStatus shared = platform::ExamineEntry(sharedir);
    const platform::EntryStatus other = platform::ExamineEntry(folder.string());
    if (shared.exists && other.exists)
        return shared.sameFileAs(other);
    const auto normal = [](const std::filesystem::path& path) {
        std::filesystem::path result = path.lexically_normal();
        return result.has_filename() ? result : result.parent_path();
    };
    return normal(sharedir) == normal(folder);
}

// The services whose known lists speak for the folder that holds path.
// A service that watches sub-folders speaks for those below its folder too, the file then named
// by its path below the folder, as its turns name it.
template <typename Act> void forServicesOf(ServiceTable& table, const std::string& path, Act act) {
    const std::filesystem::path file(path);
    for (rServiceRules& service : table.services) {
        if (!service.enabled || !service.knownready || service.sharedir.empty())
            continue;
        std::filesystem::path folder = file.parent_path();
        std::string name = file.filename().string();
        for (std::int32_t level = 0; level <= service.subfolders; ++level) {
            if (sameFolder(service.sharedir, folder)) {
                act(service, name);
                break;
            }
            if (!folder.has_relative_path())
                break;
            name.insert(0, folder.filename().string() + '/');
            folder = folder.parent_path();
        }
    }
}

// Only the first knowncnt entries count, so the list is cut to them before it changes.
std::vector<filerec>& countedKnownFiles(rServiceRules& service) {
    service.knownfiles.resize(Counted(service.knownfiles, service.knowncnt).size());
    return service.knownfiles;
}

void forget(ServiceTable& table, const std::string& path) {
    forServicesOf(table, path, [](rServiceRules& service, const std::string& name) {
        std::vector<filerec>& known = countedKnownFiles(service);
        std::erase_if(known, [&](const filerec& entry) { return entry.name == name; });
        service.knowncnt = static_cast<std::int32_t>(known.size());
    });
}

void keepKnown(ServiceTable& table, const std::string& path, const FileIdentity& identity) {
    forServicesOf(table, path, [&](rServiceRules& service, const std::string& name) {
        std::vector<filerec>& known = countedKnownFiles(service);
        // A name is listed once, as a folder lists it once.
        if (std::ranges::any_of(known, [&](const filerec& entry) { return entry.name == name; }))
            return;
        known.push_back(
            filerec{name, static_cast<std::int64_t>(identity.size),
                    platform::FileTimeToLocalDateTime(identity.modifiedNs / 1'000'000'000)});
        service.knowncnt = static_cast<std::int32_t>(known.size());
    });
}

} // namespace

void RecordUndoInKnownFiles(ServiceTable& table, const ActivityEntry& undone) {
    if (!undone.undo || undone.failed)
        return;
    if (undone.action == "move" && undone.values.size() == 2) {
        forget(table, undone.values[0]);
        keepKnown(table, undone.values[1], undone.identity.value_or(FileIdentity{}));
    } else if (undone.action == "delete" && undone.values.size() == 1) {
        forget(table, undone.values[0]);
    }
}

void ForgetKnownFiles(ServiceTable& table, const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        forget(table, path);
}

void RecordFilesKnown(ServiceTable& table, const std::vector<SeenFile>& files) {
    for (const auto& [path, seen] : files)
        if (platform::IdentifyFile(path) == seen)
            keepKnown(table, path, seen);
}

void RecordFilesPlaced(ServiceTable& table, const std::vector<SeenFile>& files) {
    RecordFilesKnown(table, files);
    for (const SeenFile& file : files) {
        const FileIdentity& seen = file.second;
        if (platform::IdentifyFile(file.first) != seen)
            continue;
        forServicesOf(table, file.first, [&](rServiceRules& service, const std::string& name) {
            filerec placed{name, static_cast<std::int64_t>(seen.size),
                           platform::FileTimeToLocalDateTime(seen.modifiedNs / 1'000'000'000)};
            auto& renamed = service.renamedInPlace; // sorted by name
            const auto at = std::ranges::lower_bound(renamed, name, {}, &filerec::name);
            if (at == renamed.end() || at->name != name)
                renamed.insert(at, std::move(placed));
        });
    }
}

const RuleRec* RuleThatMaySortAgain(const ServiceTable& table, const ActivityEntry& entry) {
    for (const rServiceRules& service : table.services) {
        if (!service.enabled || ServiceName(service) != entry.folder)
            continue;
        for (const RuleRec& rule : Counted(service.rulelist.rules, service.rulelist.rulecnt))
            if (rule.enabled && rule.rulename == entry.rule &&
                (rule.mcond == FileCount || rule.mcond == TotalFileSize))
                return &rule;
    }
    return nullptr;
}

Problem UndoImpossibleReason(const ActivityEntry& entry) {
    if (entry.undo)
        return "An undo cannot itself be undone.";
    if (entry.failed)
        return "The operation failed, so there is nothing to undo.";
    if (entry.action == "delete")
        return "A deleted file cannot be brought back.";
    if (entry.action == "trash")
        return "A file moved to the trash is restored from the desktop's trash.";
    if (entry.action == "launch")
        return "A program that was started cannot be undone.";
    if ((entry.action != "move" && entry.action != "copy") || entry.values.size() != 2)
        return "This entry cannot be undone.";
    if (!entry.identity)
        return "The log does not say which file this was, so it cannot be undone safely.";
    return std::nullopt;
}

bool IsUndoOf(const ActivityEntry& later, const ActivityEntry& entry) {
    if (!later.undo || later.failed || entry.undo || entry.values.size() != 2)
        return false;
    if (entry.action == "move")
        return later.action == "move" &&
               later.values == std::vector<std::string>{entry.values[1], entry.values[0]};
    return entry.action == "copy" && later.action == "delete" &&
           later.values == std::vector<std::string>{entry.values[1]};
}

UndoResult UndoActivity(const ActivityEntry& entry, const ServiceTable& table) {
    if (Problem reason = UndoImpossibleReason(entry))
        return refused(std::move(*reason));
    const bool move = entry.action == "move";
    const std::optional<FileIdentity> now = platform::IdentifyFile(entry.values[1]);
    if (!now)
        return refused(move ? "The file is no longer where it was moved to."
                            : "The copy is no longer there.");
    // Size, last-write time, device and inode together: a file written since, or another file
    // that took the name (even one of the same size and time), is not the one the entry moved.
    if (*now != *entry.identity)
        return refused(move ? "The file has changed since it was moved."
                            : "The copy has changed since it was made.");
    return move ? moveBack(entry, table) : removeCopy(entry);
}

} // namespace lp
