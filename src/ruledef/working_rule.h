#pragma once
// The rule the wizard edits: a private copy that reaches the service table only when the wizard is
// finished. It and the two values the caller sets before opening the wizard live for the whole
// run; every wizard re-initialises the rule. Nothing here uses Qt.

#include "globals/records.h"
#include "platform/problem.h"

#include <optional>
#include <string>

namespace lp {

// The wizard's working rule.
RuleRec& workingRule();

// What the caller asks of the next wizard: a new rule, or an edit of the rule at ruleIndex of the
// current service record.
struct RuleEditRequest {
    bool editFlag = false;
    int ruleIndex = -1;
};
RuleEditRequest& ruleEditRequest();

// A new rule: unnamed, enabled, triggered by a new file, no conditions and no actions.
RuleRec freshRule();

// An independent copy of stored holding only its first condcnt conditions and actioncnt actions.
RuleRec copyCountedParts(const RuleRec& stored);

// Appends a condition of kind whose value is marked as not yet given.
void addCondition(RuleRec& rule, std::uint8_t kind);
// Removes the first condition of kind; the later ones move up. False when there is none.
bool removeFirstCondition(RuleRec& rule, std::uint8_t kind);
// Drops every date condition (FileDate, FileDateNew, FileDateOld), the others keeping their order.
void removeDateConditions(RuleRec& rule);

// Adds an action of kind with empty parameters. A move or copy goes before a trailing delete, so
// that the file is deleted only after it has been moved or copied.
void addAction(RuleRec& rule, std::uint8_t kind);
// Removes the first action of kind; the later ones move up. False when there is none.
bool removeFirstAction(RuleRec& rule, std::uint8_t kind);

// Why Finish must refuse rule in its present state, or nothing when it may be stored. Only a rule
// that can run as it was meant is stored.
Problem ruleRefusal(const RuleRec& rule);

// Why a rule may not carry name (as typed), or nothing. Blanks around a name are kept; blanks
// alone are no name, and a line break is not allowed since the configuration file holds one value
// per line.
Problem ruleNameRefusal(const std::string& name);

} // namespace lp
