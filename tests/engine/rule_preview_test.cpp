// What the wizard's preview says of each entry of a real folder: taken, or left out by which
// condition, by the trigger or by the folder's exclusions, through the cycle's own selection.

#include "engine/rule_preview.h"
#include "globals/temp_folder.h"
#include "support/write_time.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

namespace lp {
namespace {

ruleacondrec extension(const std::string& ext) {
    ruleacondrec condition;
    condition.rcond = FileExt;
    condition.rcondFileExt.ext = ext;
    return condition;
}

ruleacondrec sizeOver(std::int32_t kilobytes) {
    ruleacondrec condition;
    condition.rcond = FileSize;
    condition.rnum = cmpGreater;
    condition.size = kilobytes;
    return condition;
}

ruleacondrec oldest(std::int32_t count) {
    ruleacondrec condition;
    condition.rcond = FileDateOld;
    condition.oldfilecnt = count;
    return condition;
}

// "taken", "excluded", "trigger", or "condition N".
std::string verdict(const RulePreviewEntry& entry) {
    switch (entry.cause) {
    case LeftOutCause::None:
        return "taken";
    case LeftOutCause::Excluded:
        return "excluded";
    case LeftOutCause::Trigger:
        return "trigger";
    case LeftOutCause::Condition:
        return "condition " + std::to_string(entry.condition);
    }
    return "?";
}

TEST(RulePreview, SaysWhichConditionLeftEachFileOut) {
    test::TempFolder folder;
    const auto write = [&](const std::string& name, std::size_t bytes, int year) {
        std::ofstream(folder.file(name), std::ios::binary) << std::string(bytes, 'x');
        test::setLocalWriteTime(folder.file(name), year, 6, 1);
    };
    write("big.mp3", 20 * 1024, 2020);
    write("small.mp3", 1024, 2021);
    write("big.txt", 20 * 1024, 2022);
    write("part.tmp", 20 * 1024, 2019);

    struct Case {
        const char* what;
        std::uint8_t trigger;
        std::int32_t limit; // the count of a count trigger
        std::vector<ruleacondrec> conditions;
        std::string excludefiles;
        std::map<std::string, std::string> expected;
        std::size_t taken;
        bool anyCondition = false;
    };
    ruleacondrec unknown;
    unknown.rcond = 9; // a kind of a newer program's: the rule is passed over, never widened
    const std::vector<Case> cases = {
        {"a new-file rule without conditions takes every file",
         NewFile,
         0,
         {},
         "",
         {{"big.mp3", "taken"},
          {"small.mp3", "taken"},
          {"big.txt", "taken"},
          {"part.tmp", "taken"}},
         4},
        {"each file is charged to the first condition it fails",
         NewFile,
         0,
         {extension("mp3"), sizeOver(10)},
         "",
         {{"big.mp3", "taken"},
          {"small.mp3", "condition 1"},
          {"big.txt", "condition 0"},
          {"part.tmp", "condition 0"}},
         1},
        {"the order of the conditions decides which one is named",
         NewFile,
         0,
         {sizeOver(10), extension("mp3")},
         "",
         {{"big.mp3", "taken"},
          {"small.mp3", "condition 0"},
          {"big.txt", "condition 1"},
          {"part.tmp", "condition 1"}},
         1},
        {"an excluded file takes no part, also in the ranking",
         NewFile,
         0,
         {oldest(1)},
         "*.tmp",
         {{"big.mp3", "taken"},
          {"small.mp3", "condition 0"},
          {"big.txt", "condition 0"},
          {"part.tmp", "excluded"}},
         1},
        {"a count trigger under its limit leaves out every file it counts",
         FileCount,
         3,
         {extension("mp3")},
         "*.tmp",
         {{"big.mp3", "trigger"},
          {"small.mp3", "trigger"},
          {"big.txt", "trigger"},
          {"part.tmp", "excluded"}},
         0},
        {"a count trigger over its limit hands on to the conditions",
         FileCount,
         3,
         {extension("mp3")},
         "",
         {{"big.mp3", "taken"},
          {"small.mp3", "taken"},
          {"big.txt", "condition 0"},
          {"part.tmp", "condition 0"}},
         2},
        {"any one condition: a file is left out only by none taking it",
         NewFile,
         0,
         {extension("mp3"), oldest(1)},
         "",
         {{"big.mp3", "taken"},
          {"small.mp3", "taken"},
          {"big.txt", "condition " + std::to_string(kNoConditionTook)},
          {"part.tmp", "taken"}},
         3,
         true},
        {"a condition this program does not know leaves every file out",
         NewFile,
         0,
         {extension("mp3"), unknown},
         "",
         {{"big.mp3", "condition " + std::to_string(kRulePassedOver)},
          {"small.mp3", "condition " + std::to_string(kRulePassedOver)},
          {"big.txt", "condition " + std::to_string(kRulePassedOver)},
          {"part.tmp", "condition " + std::to_string(kRulePassedOver)}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RuleRec rule;
        rule.mcond = c.trigger;
        rule.fcnt = c.limit;
        rule.conds = c.conditions;
        rule.condcnt = static_cast<std::int32_t>(c.conditions.size());
        rule.anyCondition = c.anyCondition;
        const RulePreview preview = PreviewRule(
            rule, c.excludefiles, platform::ListFolder(folder.path().string(), true), 0.0);
        ASSERT_TRUE(preview.listed);
        std::map<std::string, std::string> seen;
        for (const RulePreviewEntry& entry : preview.entries)
            seen[entry.name] = verdict(entry);
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(preview.taken, c.taken);
    }
}

TEST(RulePreview, AFolderThatCannotBeListedIsSaidSoNotShownEmpty) {
    test::TempFolder folder;
    const RulePreview preview =
        PreviewRule(RuleRec{}, "", platform::ListFolder(folder.file("gone"), true), 0.0);
    EXPECT_FALSE(preview.listed);
    EXPECT_TRUE(preview.entries.empty());
}

} // namespace
} // namespace lp
