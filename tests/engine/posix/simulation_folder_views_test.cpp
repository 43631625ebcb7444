// A simulation over several folders in one run: each folder lists as the run's earlier
// operations would leave it, however it is reached (a link to a folder included), and under each
// name-clash choice.

#include "engine/simulation_runs.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::action;
using test::performedLines;
using test::ruleOf;
using test::serviceOver;
using test::simulatedLines;

rServiceRules serviceRules(const std::string& folder, const std::vector<RuleRec>& rules) {
    return serviceOver(folder, rules).services.front();
}

ruleacondrec condition(std::uint8_t kind) {
    ruleacondrec c;
    c.rcond = kind;
    c.rnum = cmpGreater;
    c.size = 1; // kilobytes
    c.newfilecnt = 1;
    return c;
}

RuleRec onEveryFile(RuleRec rule) {
    rule.mcond = FileCount;
    rule.fcnt = 0;
    return rule;
}

RuleRec withCondition(RuleRec rule, const ruleacondrec& c) {
    rule.conds = {c};
    rule.condcnt = 1;
    return rule;
}

TEST(Simulation, AFolderListsAsEarlierFoldersOfTheRunLeftIt) {
    test::TempFolder temp;
    const auto folder = [&](const char* name) { return temp.file(name); };
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, std::vector<RuleRec>>> services; // folder, rules
        std::size_t lines;
        NameClash clash = NameClash::Replace;
    };
    const std::string music = folder("music"), archive = folder("archive"), dl = folder("dl");
    const Case cases[] = {
        {"a file moved in is found by the next folder",
         {{"dl", {ruleOf({action(rMove, archive)})}},
          {"archive", {ruleOf({action(rCopy, music)})}}},
         2},
        {"on the file count too",
         {{"dl", {onEveryFile(ruleOf({action(rMove, archive)}))}},
          {"archive", {onEveryFile(ruleOf({action(rCopy, music)}))}}},
         2},
        {"a file moved away is not found by a second entry of its folder",
         {{"dl", {ruleOf({action(rMove, music)})}}, {"dl", {ruleOf({action(rCopy, archive)})}}},
         1},
        {"nor through a link to the folder",
         {{"dl", {ruleOf({action(rMove, music)})}},
          {"dl-link/", {ruleOf({action(rCopy, archive)})}}},
         1},
        {"a deleted file is gone for the next folder",
         {{"dl", {ruleOf({action(rDelete)})}}, {"dl", {ruleOf({action(rDelete)})}}},
         1},
        {"a copy over a file of the same name is one entry",
         {{"dl", {ruleOf({action(rCopy, music)})}}, {"music", {ruleOf({action(rDelete)})}}},
         3},
        {"a file copied in keeps its size",
         {{"dl", {ruleOf({action(rCopy, music)})}},
          {"music", {withCondition(ruleOf({action(rMove, archive)}), condition(FileSize))}}},
         2},
        {"a file moved in keeps its date and is the newest",
         {{"dl", {ruleOf({action(rMove, music)})}},
          {"music", {withCondition(ruleOf({action(rCopy, archive)}), condition(FileDateNew))}}},
         2},
        {"a file moved on twice",
         {{"dl", {ruleOf({action(rMove, music)})}},
          {"music", {ruleOf({action(rMove, archive)})}},
          {"archive", {ruleOf({action(rCopy, dl)})}}},
         5},
        {"a file kept beside one of the same name is found under the name it got",
         {{"dl", {ruleOf({action(rCopy, music)})}}, {"music", {ruleOf({action(rMove, archive)})}}},
         4,
         NameClash::KeepBoth},
        {"a file left where it is because the name is taken is not found in the destination",
         {{"dl", {ruleOf({action(rMove, music)})}}, {"music", {ruleOf({action(rCopy, archive)})}}},
         3,
         NameClash::Leave},
    };
    for (const Case& c : cases) {
        const auto setUp = [&] {
            fs::remove_all(temp.path());
            for (const std::string& made : {dl, music, archive})
                fs::create_directories(made);
            fs::create_directory_symlink(dl, folder("dl-link"));
            test::writeBytes(dl + "/song.mp3", std::string(2048, 's'));
            test::setLocalWriteTime(dl + "/song.mp3", 2026, 12, 1);
            test::writeBytes(music + "/song.mp3", "an older, smaller one");
            test::setLocalWriteTime(music + "/song.mp3", 2019, 1, 1);
            test::writeBytes(music + "/older.mp3", "o");
            test::setLocalWriteTime(music + "/older.mp3", 2020, 1, 1);
        };
        ServiceTable table;
        for (const auto& [name, rules] : c.services)
            table.services.push_back(serviceRules(folder(name), rules));
        setUp();
        // Entries that came later may list in another order than on disk.
        const SortingPolicy policy{c.clash, false};
        auto foreseen = simulatedLines(table, policy);
        std::ranges::sort(foreseen);
        setUp();
        auto performed = performedLines(table, policy);
        std::ranges::sort(performed);
        EXPECT_EQ(foreseen, performed) << c.what;
        EXPECT_EQ(performed.size(), c.lines) << c.what;
        const bool refused = c.clash == NameClash::Leave;
        EXPECT_EQ(
            std::ranges::count_if(
                performed, [](const std::string& line) { return line.starts_with("failed "); }),
            refused ? 1 : 0)
            << c.what;
    }
}

} // namespace
} // namespace lp
