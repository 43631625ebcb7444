#include "undo.h"

#include "platform/entry_status.h"
#include "platform/file_identity.h"
#include "platform/file_operations.h"

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

UndoResult moveBack(const ActivityEntry& entry) {
    const std::string& oldPlace = entry.values[0];
    const std::string& movedTo = entry.values[1];
    if (occupied(oldPlace))
        return refused("A file already stands at its old place.");
    // Nothing replaces what may have arrived at the old place meanwhile: the move back fails
    // then, whatever the look above saw.
    const std::error_code error = platform::MoveFileNoReplace(movedTo, oldPlace);
    UndoResult result;
    result.logged = undoLine(entry, "move", {movedTo, oldPlace});
    if (error) {
        result.logged->failed = true;
        result.message = error == std::errc::file_exists
                             ? "A file already stands at its old place."
                             : failureText("The file could not be moved back", error);
        return result;
    }
    result.logged->identity = platform::IdentifyFile(oldPlace);
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
        result.message = failureText("The copy could not be removed", error);
        return result;
    }
    result.done = true;
    return result;
}

} // namespace

std::optional<std::string> UndoImpossibleReason(const ActivityEntry& entry) {
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

UndoResult UndoActivity(const ActivityEntry& entry) {
    if (std::optional<std::string> reason = UndoImpossibleReason(entry))
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
    return move ? moveBack(entry) : removeCopy(entry);
}

} // namespace lp
