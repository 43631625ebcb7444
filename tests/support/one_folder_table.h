#pragma once
// The configuration most end-to-end runs start from: one folder the user added, holding one rule.

#include "globals/records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lp::test {

// An enabled rule of the given trigger with these actions and conditions.
inline RuleRec MakeRule(const std::string& name, std::uint8_t trigger,
                        std::vector<ruleactionrec> actions, std::vector<ruleacondrec> conds = {}) {
    RuleRec rule;
    rule.rulename = name;
    rule.enabled = true;
    rule.mcond = trigger;
    rule.condcnt = static_cast<std::int32_t>(conds.size());
    rule.conds = std::move(conds);
    rule.actioncnt = static_cast<std::int32_t>(actions.size());
    rule.actions = std::move(actions);
    return rule;
}

// The condition that a file's extension is ext.
inline ruleacondrec ExtensionIs(const std::string& ext) {
    ruleacondrec condition;
    condition.rcond = FileExt;
    condition.rcondFileExt.ext = ext;
    return condition;
}

// A table of one enabled folder the user added, called name, over folder, holding rule.
inline ServiceTable OneFolderTable(const std::string& name, const std::string& folder,
                                   const RuleRec& rule) {
    rServiceRules service;
    service.serviceid = kOtherService;
    service.othername = name;
    service.othernum = 1;
    service.enabled = true;
    service.sharedir = folder;
    service.rulelist = {1, {rule}};
    ServiceTable table;
    table.services = {service};
    table.customCount = 1;
    return table;
}

} // namespace lp::test
