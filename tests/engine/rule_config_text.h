#pragma once
// A configuration text of one folder and its rules, for the tests that read rules through the
// real file format and run them in a real cycle.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace lp::test {

// A rule that deletes what its conditions select, the rule's lines after "fsize=" up to its
// actions; actions are added by the case.
struct RuleText {
    std::vector<std::string> conditionLines; // option lines first, then each rcond with its keys
    int conditionCount = 1;
    std::vector<std::string> actionLines = {"raction=2"};
    int mcond = 0; // a new file, unless the case asks for another trigger
};

inline std::string configText(const std::string& version, const std::string& folder,
                              const std::vector<RuleText>& rules) {
    std::vector<std::string> lines = {
        "[Main Info]",        "Version=" + version, "UseSMTP=0",
        "SMTP Server=",       "ReplyTo=",           "Service Count=1",
        "Custom Count=1",     "[Service 1]",        "serviceid=5",
        "othernum=1",         "othername=Inbox",    "enabled=0",
        "sharedir=" + folder, "excludefiles=",      "rulecnt=" + std::to_string(rules.size())};
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const RuleText& rule = rules[r];
        lines.insert(lines.end(),
                     {"[Rule " + std::to_string(r + 1) + "]",
                      "rulename=Rule " + std::to_string(r + 1), "enabled=0",
                      "mcond=" + std::to_string(rule.mcond),
                      "condcnt=" + std::to_string(rule.conditionCount), "fcnt=0", "fsize=0"});
        lines.insert(lines.end(), rule.conditionLines.begin(), rule.conditionLines.end());
        const auto actionCount = std::ranges::count_if(
            rule.actionLines, [](const std::string& line) { return line.starts_with("raction="); });
        lines.push_back("actioncnt=" + std::to_string(actionCount));
        lines.insert(lines.end(), rule.actionLines.begin(), rule.actionLines.end());
    }
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    return text;
}

inline std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::ranges::sort(names);
    return names;
}

} // namespace lp::test
