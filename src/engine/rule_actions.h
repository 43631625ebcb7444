#pragma once
// The second half of a rule: its actions, one after another, each over every selected file.
// Nothing is retried within the turn; a failed operation is passed over.

#include "cycle_environment.h"
#include "file_selection.h"
#include "globals/records.h"

#include <string>
#include <vector>

namespace lp {

// Folder and name joined by exactly one separator, whether or not the folder ends with one.
std::string JoinPath(const std::string& folder, const std::string& name);

// What the actions did to one selected file, as far as the known-file list cares.
struct ActionOutcome {
    bool takenAway = false; // a move took it out of the service folder, or a delete removed it
    bool failed = false;    // an operation on it failed
    bool operator==(const ActionOutcome&) const = default;
};

// Runs the rule's actions on the selection and returns an outcome per selected file, in
// selection order. Each file is followed on its own: it is looked for in the service folder,
// after a move that succeeded in the move's destination; once a move of it has failed, the
// rule's later actions pass it over; a deleted file is gone (later moves, copies and deletes of
// it fail, a launch still gets its path). The policy says what a copy or move does to a file of
// the same name at its destination (a file kept beside it under a numbered name is followed
// under that name), and whether a delete goes to the trash.
std::vector<ActionOutcome> RunRuleActions(const RuleRec& rule, const Selection& selection,
                                          const CurrentFiles& current, const std::string& sharedir,
                                          const SortingPolicy& policy,
                                          CycleEnvironment& environment);

} // namespace lp
