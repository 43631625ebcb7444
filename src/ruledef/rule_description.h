#pragma once
// The working rule as an English sentence: one line per trigger, condition and action, each value
// the user can set shown as a parameter link (<a href="NAME">shown text</a>).

#include "globals/records.h"

#include <string>
#include <vector>

namespace lp {

// The shown text of a value not yet given.
inline constexpr const char* kNotGivenText = "specified";

// The lines of rule's sentence, in markup, in order: trigger, conditions, actions. Only the first
// condcnt conditions and actioncnt actions count.
std::vector<std::string> BuildDescriptionLines(const RuleRec& rule);

} // namespace lp
