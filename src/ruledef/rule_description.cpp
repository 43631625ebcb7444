#include "rule_description.h"

#include <algorithm>

namespace lp {

namespace {

std::string link(const char* href, const std::string& shown) {
    return std::string("<a href=\"") + href + "\">" + shown + "</a>";
}

std::string comparisonText(std::uint8_t comparison) {
    return comparison == cmpGreater ? "greater than " : "less than ";
}

std::string triggerLine(const RuleRec& rule) {
    switch (rule.mcond) {
    case FileCount:
        return "Whenever the total completed file count exceeds " +
               link("FileCount", std::to_string(rule.fcnt));
    case TotalFileSize:
        return "Whenever the total completed file size exceeds " +
               link("TotalFileSize", std::to_string(rule.fsize)) + " MB";
    case AnyFile:
        return "Whenever a completed file exists";
    default:
        return "Whenever a new completed file exists";
    }
}

// A count shown in a link, "specified" while not yet given.
std::string countText(std::int32_t count) {
    return count == -1 ? std::string(kNotGivenText) : std::to_string(count);
}

// The condition's line without its prefix; empty for a kind the editor does not know.
std::string conditionText(const ruleacondrec& cond) {
    switch (cond.rcond) {
    case FileExt:
        if (cond.rcondFileExt.ext.empty())
            return "file extension is " + link("FileExt", kNotGivenText) + " extension" +
                   (cond.rcondFileExt.anyCase ? " in any letter case" : "");
        return "file extension is " + link("FileExt", cond.rcondFileExt.ext) +
               (cond.rcondFileExt.anyCase ? " in any letter case" : "");
    case FileSize:
        if (cond.size == -1)
            return "file size is " + link("FileSize", kNotGivenText);
        return "file size is " +
               link("FileSize", comparisonText(cond.rnum) + std::to_string(cond.size) + " KB");
    case FileDate:
        if (cond.rdays == -1)
            return "file date is " + link("FileDate", kNotGivenText);
        return "file date is " + link("FileDate", comparisonText(cond.rdnum) +
                                                      std::to_string(cond.rdays) + " days old.");
    case FileDateNew:
        return "file date is the newest " + link("FileDateNew", countText(cond.newfilecnt)) +
               " of all files";
    case FileDateOld:
        return "file date is the oldest " + link("FileDateOld", countText(cond.oldfilecnt)) +
               " of all files";
    case FileNameMatching:
    case FileNameNotMatching: {
        const bool matching = cond.rcond == FileNameMatching;
        const char* href = matching ? "FileName" : "FileNameNot";
        const std::string shown = cond.names.empty() ? std::string(kNotGivenText) : cond.names;
        return std::string(matching ? "file name matches " : "file name does not match ") +
               link(href, shown) + (cond.names.empty() ? " patterns" : "");
    }
    case FileTypeMatching:
        if (cond.types.empty())
            return "file type is " + link("FileType", kNotGivenText) + " types";
        return "file type is " + link("FileType", cond.types);
    case DownloadedFrom:
        if (cond.origins.empty())
            return "file was downloaded from " + link("FileOrigin", kNotGivenText) + " addresses";
        return "file was downloaded from " + link("FileOrigin", cond.origins);
    default:
        return {};
    }
}

std::string pathText(const std::string& path) {
    return path.empty() ? std::string(kNotGivenText) : path;
}

// The action's line without its prefix; empty for an action that shows no line (FTP).
std::string actionText(const ruleactionrec& action, const std::string& plural) {
    switch (action.raction) {
    case rMove:
        return "Move file" + plural + " to " + link("rMove", pathText(action.racmove.filepath)) +
               " directory";
    case rCopy:
        return "Copy file" + plural + " to " + link("rCopy", pathText(action.raccopy.filepath)) +
               " directory";
    case rDelete:
        return link("rDelete", "Delete file") + plural;
    case rLaunch:
        if (action.raclaunch.fprogram.empty())
            return "Launch " + link("rLaunch", kNotGivenText) + " program";
        return "Launch " + link("rLaunch", action.raclaunch.fprogram);
    case rRename:
        return "Rename file" + plural + " to " +
               link("rRename", pathText(action.racrename.newname));
    default:
        return {};
    }
}

// A stored count larger than its array must not read past the array's end.
template <typename T> std::size_t validCount(std::int32_t count, const std::vector<T>& entries) {
    return count <= 0 ? 0 : std::min(static_cast<std::size_t>(count), entries.size());
}

} // namespace

std::vector<std::string> BuildDescriptionLines(const RuleRec& rule) {
    std::vector<std::string> lines;
    lines.push_back(triggerLine(rule));

    // Prefixes count positions, not lines: an entry without a line still takes its place.
    const std::size_t condCount = validCount(rule.condcnt, rule.conds);
    for (std::size_t i = 0; i < condCount; ++i) {
        std::string text = conditionText(rule.conds[i]);
        if (!text.empty())
            lines.push_back((i == 0              ? "    Where "
                             : rule.anyCondition ? "       or "
                                                 : "      and ") +
                            text);
    }

    const std::string plural = rule.mcond == NewFile ? "" : "(s)";
    const std::size_t actionCount = validCount(rule.actioncnt, rule.actions);
    for (std::size_t i = 0; i < actionCount; ++i) {
        std::string text = actionText(rule.actions[i], plural);
        if (!text.empty())
            lines.push_back((i == 0 ? "    " : "      and ") + text);
    }
    if (rule.stopAfter)
        lines.push_back("    and leave the file" + plural + " to no later rule");
    return lines;
}

} // namespace lp
