#include "left_out_text.h"
#include "engine/file_selection.h"
#include "working_rule.h"

#include <algorithm>

namespace lp {

namespace {

bool given(const ruleacondrec& condition) {
    switch (condition.rcond) {
    case FileExt:
        return !condition.rcondFileExt.ext.empty();
    case FileSize:
        return condition.size != -1;
    case FileDate:
        return condition.rdays != -1;
    case FileDateNew:
        return condition.newfilecnt != -1;
    case FileDateOld:
        return condition.oldfilecnt != -1;
    case FileNameMatching:
    case FileNameNotMatching:
        return !condition.names.empty();
    case FileTypeMatching:
        return !condition.types.empty();
    case DownloadedFrom:
        return !condition.origins.empty();
    default:
        return true;
    }
}

std::string notCompared(std::uint8_t comparison) {
    return comparison == cmpGreater ? "not greater than " : "not less than ";
}

std::string conditionText(const ruleacondrec& condition, std::int32_t position) {
    switch (condition.rcond) {
    case FileExt:
        return "file extension is not " + condition.rcondFileExt.ext;
    case FileSize:
        return "file size is " + notCompared(condition.rnum) + std::to_string(condition.size) +
               " KB";
    case FileDate:
        return "file date is " + notCompared(condition.rdnum) + std::to_string(condition.rdays) +
               " days old";
    case FileDateNew:
        return "file is not among the newest " + std::to_string(condition.newfilecnt);
    case FileDateOld:
        return "file is not among the oldest " + std::to_string(condition.oldfilecnt);
    case FileNameMatching:
        return "file name matches none of " + condition.names;
    case FileNameNotMatching:
        return "file name matches " + condition.names;
    case FileTypeMatching:
        return "file type is none of " + condition.types;
    case DownloadedFrom:
        return "file was not downloaded from " + condition.origins;
    default:
        return "condition " + std::to_string(position + 1) + " leaves it out";
    }
}

std::string triggerText(const RuleRec& rule) {
    switch (rule.mcond) {
    case FileCount:
        return "folder holds no more than " + std::to_string(rule.fcnt) + " files";
    case TotalFileSize:
        return "files take no more than " + std::to_string(rule.fsize) + " MB";
    default:
        return "the trigger takes no file";
    }
}

} // namespace

RuleRec RuleAsPreviewed(const RuleRec& rule) {
    RuleRec previewed = copyCountedParts(rule);
    std::erase_if(previewed.conds, [](const ruleacondrec& c) { return !given(c); });
    previewed.condcnt = static_cast<std::int32_t>(previewed.conds.size());
    return previewed;
}

std::string LeftOutText(const RulePreviewEntry& entry, const RuleRec& rule) {
    switch (entry.cause) {
    case LeftOutCause::None:
        return {};
    case LeftOutCause::Excluded:
        return "the folder's exclusions name it";
    case LeftOutCause::Trigger:
        return triggerText(rule);
    case LeftOutCause::Condition:
        break;
    }
    if (entry.condition == kNoConditionTook)
        return "none of its conditions takes it";
    if (entry.condition == kRulePassedOver)
        return "the rule is passed over";
    if (entry.condition < 0 || entry.condition >= static_cast<std::int32_t>(rule.conds.size()))
        return "a condition leaves it out";
    return conditionText(rule.conds[static_cast<std::size_t>(entry.condition)], entry.condition);
}

} // namespace lp
