#pragma once
// Taking back what a monitor cycle did to a file, as far as that is safe: a move is moved back
// only while the file at its destination is still the very one that was moved and nothing
// stands at its old place; a copy is removed only while it is unchanged and its original is
// still there. Nothing is ever replaced or lost by an undo.

#include "activity_entry.h"
#include "globals/records.h"
#include "platform/file_identity.h"
#include "platform/problem.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lp {

// Why the entry can never be undone (a delete, a launch, a failed operation, an undo, a line
// without the file's identity), or nothing when it is of a kind undo takes back.
Problem UndoImpossibleReason(const ActivityEntry& entry);

// Whether later is the undo of entry that succeeded: the move back of its file, or the removal
// of its copy.
bool IsUndoOf(const ActivityEntry& later, const ActivityEntry& entry);

struct UndoResult {
    bool done = false;
    // Why the entry was refused or why the attempt failed; empty when done.
    std::string message;
    // The undo as the log records it, when an operation was attempted (done or failed); nothing
    // when the entry was refused before anything was touched. Its time is left for the log.
    std::optional<ActivityEntry> logged;
};

// Undoes entry when its file is still as the entry left it. A file moved out of a sub-folder
// of a folder table watches with its sub-folders goes back only while every folder on its way
// there is still a folder itself, no link and no mount.
UndoResult UndoActivity(const ActivityEntry& entry, const ServiceTable& table = {});

// Brings the known-file lists of the table's services in line with an undo that was done (its
// logged line): a file moved back counts as known to every enabled service whose folder is the
// one it went back to, so that a rule on new files does not sort it straight back, and the name
// it left, like a removed copy's, is forgotten by the services of that folder, so that a file
// arriving later under that name counts as new. Services whose known list is not yet taken are
// left alone: nothing counts as new for them anyway.
void RecordUndoInKnownFiles(ServiceTable& table, const ActivityEntry& undone);

// Each file (a whole path and the identity it had when it was seen) that is still there, the
// same file unchanged, counts as known to the enabled services of its folder whose known list is
// taken: a file sorted or left alone by hand (Sort Now) is one the user has seen to, and a cycle
// that had not listed it yet must not take it for a new one and sort it a second time.
using SeenFile = std::pair<std::string, platform::FileIdentity>;
void RecordFilesKnown(ServiceTable& table, const std::vector<SeenFile>& files);
// As RecordFilesKnown, for files a rule put in its own folder by hand (renamed there, say): like
// those a cycle put there, they are never taken up again while they stay as they are, also by a
// rule that takes up old files.
void RecordFilesPlaced(ServiceTable& table, const std::vector<SeenFile>& files);

// Each file (a whole path) counts as new again to the services of its folder whose known list is
// taken: an operation on it was stopped before it was done, and it is to be sorted after all.
void ForgetKnownFiles(ServiceTable& table, const std::vector<std::string>& paths);

// The rule that made entry, when it may still choose the file that was moved back: an enabled
// rule of an enabled service, found by the entry's folder and rule names, whose trigger looks at
// every file in the folder (a file count or a total size) rather than only at new ones.
const RuleRec* RuleThatMaySortAgain(const ServiceTable& table, const ActivityEntry& entry);

} // namespace lp
