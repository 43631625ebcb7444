#pragma once
// The second half of a rule: its actions, one after another, each over every selected file.
// Nothing is retried within the turn; a file on which an operation failed is left alone by the
// rest of the rule, and a later turn may take it up again at the operation that failed.

#include "cycle_environment.h"
#include "file_selection.h"
#include "globals/records.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

// Folder and name with one separator always put between them: a folder that already ends with
// one gives two in a row, which the system reads as one.
std::string JoinPath(const std::string& folder, const std::string& name);

// What the actions did to one selected file, as far as the known-file list cares.
struct ActionOutcome {
    bool takenAway = false; // a move took it out of the service folder, or a delete removed it
    bool failed = false;    // an operation on it failed
    // Where a retry takes it up: the action that failed, by position in the rule, when the file
    // is still at its name in the service folder; nothing when no action failed or it moved on.
    std::optional<std::int32_t> retryAt = std::nullopt;
    // Renamed in the service folder, or moved into a folder inside it: the path below the folder
    // it is known by there from now on (takenAway is then set for its old name).
    std::optional<std::string> renamedTo = std::nullopt;
    // Copies made of it in folders inside the service folder that a walk of its sub-folders
    // reaches, by their paths below it: known there from now on, never new.
    std::vector<std::string> copiesKnownAs = {};
    bool operator==(const ActionOutcome&) const = default;
};

// Runs the rule's actions on the selection and returns an outcome per selected file, in
// selection order. Each file is followed on its own: it is looked for in the service folder,
// after a move that succeeded in the move's destination; once any operation on it has failed (a
// move, a copy, a delete, or a launch whose program did not start), the rule's later actions
// pass it over, so a delete never follows a copy that did not happen; a deleted file is gone
// (later moves, copies and deletes of it fail, a launch still gets its path). The policy says
// what a copy or move does to a file of the same name at its destination (a file kept beside it
// under a numbered name is followed under that name), and whether a delete goes to the trash.
// retries holds, per selected file, the action at which a retry takes it up (empty: none is a
// retry): the actions before it were done for the file already and are not made again, and a
// copy for a retried file whose identical file (same size, last-write time and bytes) already
// stands at the destination counts as made. A file still in its folder as it stands in
// renamedBefore (sorted by name) was put there by a rename or move already, and a rename or
// move leaves it as it is.
std::vector<ActionOutcome>
RunRuleActions(const RuleRec& rule, const Selection& selection, const CurrentFiles& current,
               const std::string& sharedir, const SortingPolicy& policy,
               CycleEnvironment& environment,
               const std::vector<std::optional<std::int32_t>>& retries = {},
               const std::vector<filerec>& renamedBefore = {});

} // namespace lp
