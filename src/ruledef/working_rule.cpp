#include "working_rule.h"

#include <algorithm>

namespace lp {

namespace {

// Brings the arrays to their counts, so that what lies past a count never comes back to life
// when an entry is appended. A count larger than its array is taken as the array's length.
void trimToCounts(RuleRec& rule) {
    rule.condcnt =
        std::clamp<std::int32_t>(rule.condcnt, 0, static_cast<std::int32_t>(rule.conds.size()));
    rule.conds.resize(static_cast<std::size_t>(rule.condcnt));
    rule.actioncnt =
        std::clamp<std::int32_t>(rule.actioncnt, 0, static_cast<std::int32_t>(rule.actions.size()));
    rule.actions.resize(static_cast<std::size_t>(rule.actioncnt));
}

void syncCounts(RuleRec& rule) {
    rule.condcnt = static_cast<std::int32_t>(rule.conds.size());
    rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
}

bool isDateCondition(const ruleacondrec& cond) {
    return cond.rcond == FileDate || cond.rcond == FileDateNew || cond.rcond == FileDateOld;
}

} // namespace

RuleRec& workingRule() {
    static RuleRec rule = freshRule();
    return rule;
}

RuleEditRequest& ruleEditRequest() {
    static RuleEditRequest request;
    return request;
}

RuleRec freshRule() {
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = NewFile;
    return rule;
}

RuleRec copyCountedParts(const RuleRec& stored) {
    RuleRec copy = stored;
    trimToCounts(copy);
    return copy;
}

void addCondition(RuleRec& rule, std::uint8_t kind) {
    trimToCounts(rule);
    ruleacondrec cond;
    cond.rcond = kind;
    switch (kind) {
    case FileSize:
        cond.size = -1;
        break;
    case FileDate:
        cond.rdays = -1;
        break;
    case FileDateNew:
        cond.newfilecnt = -1;
        break;
    case FileDateOld:
        cond.oldfilecnt = -1;
        break;
    default:
        break; // an empty extension or pattern list is its "not yet given"
    }
    rule.conds.push_back(cond);
    syncCounts(rule);
}

bool removeFirstCondition(RuleRec& rule, std::uint8_t kind) {
    trimToCounts(rule);
    const auto it = std::find_if(rule.conds.begin(), rule.conds.end(),
                                 [kind](const ruleacondrec& c) { return c.rcond == kind; });
    if (it == rule.conds.end())
        return false;
    rule.conds.erase(it);
    syncCounts(rule);
    return true;
}

void removeDateConditions(RuleRec& rule) {
    trimToCounts(rule);
    std::erase_if(rule.conds, isDateCondition);
    syncCounts(rule);
}

void addAction(RuleRec& rule, std::uint8_t kind) {
    trimToCounts(rule);
    ruleactionrec action;
    action.raction = kind;
    const bool beforeDelete = (kind == rMove || kind == rCopy) && !rule.actions.empty() &&
                              rule.actions.back().raction == rDelete;
    if (beforeDelete)
        rule.actions.insert(rule.actions.end() - 1, action);
    else
        rule.actions.push_back(action);
    syncCounts(rule);
}

bool removeFirstAction(RuleRec& rule, std::uint8_t kind) {
    trimToCounts(rule);
    const auto it = std::find_if(rule.actions.begin(), rule.actions.end(),
                                 [kind](const ruleactionrec& a) { return a.raction == kind; });
    if (it == rule.actions.end())
        return false;
    rule.actions.erase(it);
    syncCounts(rule);
    return true;
}

Problem ruleRefusal(const RuleRec& given) {
    const RuleRec rule = copyCountedParts(given);
    if (rule.actions.empty())
        return "Warning: At least one action must be checked.";
    for (const ruleactionrec& action : rule.actions) {
        if (action.raction == rMove && action.racmove.filepath.empty())
            return "Move file path must be specified.";
        if (action.raction == rCopy && action.raccopy.filepath.empty())
            return "Copy file path must be specified.";
    }
    for (const ruleacondrec& cond : rule.conds) {
        if (cond.rcond == FileExt && cond.rcondFileExt.ext.empty())
            return "File extension must be specified.";
        if ((cond.rcond == FileNameMatching || cond.rcond == FileNameNotMatching) &&
            cond.names.find_first_not_of(';') == std::string::npos)
            return "File name patterns must be specified.";
        if (cond.rcond == FileTypeMatching &&
            cond.types.find_first_not_of(';') == std::string::npos)
            return "File types must be specified.";
        if (cond.rcond == DownloadedFrom &&
            cond.origins.find_first_not_of(';') == std::string::npos)
            return "Download addresses must be specified.";
        if (cond.rcond == FileSize && cond.size == -1)
            return "File size must be specified.";
        if (cond.rcond == FileDate && cond.rdays == -1)
            return "Number of days must be specified.";
    }
    // A ranking or a launch without its value would run differently from what the user sees.
    for (const ruleacondrec& cond : rule.conds) {
        if ((cond.rcond == FileDateNew && cond.newfilecnt == -1) ||
            (cond.rcond == FileDateOld && cond.oldfilecnt == -1))
            return "Number of files must be specified.";
    }
    for (const ruleactionrec& action : rule.actions) {
        if (action.raction == rLaunch && action.raclaunch.fprogram.empty())
            return "Program to launch must be specified.";
        if (action.raction == rRename && action.racrename.newname.empty())
            return "New name must be specified.";
    }
    return std::nullopt;
}

Problem ruleNameRefusal(const std::string& name) {
    if (name.empty())
        return "Please a name for the rule";
    if (name.find_first_of("\r\n") != std::string::npos)
        return "Line breaks are not allowed in rule names.";
    if (name.find_first_not_of(" \t") == std::string::npos)
        return "Rule name cannot be only blanks.";
    return std::nullopt;
}

} // namespace lp
