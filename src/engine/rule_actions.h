#pragma once
// The second half of a rule: its actions, one after another, each over every selected file.
// Nothing is reported and nothing retried; a failed operation is passed over.

#include "cycle_environment.h"
#include "file_selection.h"
#include "globals/records.h"

#include <string>

namespace lp {

// Folder and name joined by exactly one separator, whether or not the folder ends with one.
std::string JoinPath(const std::string& folder, const std::string& name);

// Runs the rule's actions on the selection. The files are looked for in the service folder, and
// after a move in the move's destination.
void RunRuleActions(const RuleRec& rule, const Selection& selection, const CurrentFiles& current,
                    const std::string& sharedir, CycleEnvironment& environment);

} // namespace lp
