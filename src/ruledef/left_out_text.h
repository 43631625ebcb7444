#pragma once
// The wizard's preview in words: the rule as the preview takes it, and why it leaves a file out,
// phrased as the negation of the line of the rule's sentence that did. Nothing here uses Qt.

#include "engine/rule_preview.h"
#include "globals/records.h"

#include <string>

namespace lp {

// The rule with its conditions whose value is not yet given passed over: those would leave out
// every file, or none, and say nothing of the rule that is being written.
RuleRec RuleAsPreviewed(const RuleRec& rule);

// Why the preview of rule (as RuleAsPreviewed gave it) leaves entry out, e.g. "file size is not
// greater than 10 KB"; empty for an entry it takes.
std::string LeftOutText(const RulePreviewEntry& entry, const RuleRec& rule);

} // namespace lp
