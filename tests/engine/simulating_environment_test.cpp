// A simulated cycle on real folders: what it foresees, given what is on disk and what its own
// earlier operations would have done.

#include "engine/headless_run.h"
#include "engine/monitor_cycle.h"
#include "globals/temp_folder.h"
#include "recording_environment.h"
#include "support/private_mounts.h"
#include "support/special_entries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

namespace lp {
namespace {

namespace fs = std::filesystem;

ruleactionrec action(std::uint8_t kind, const std::string& folder = {},
                     const std::string& program = {}) {
    ruleactionrec a;
    a.raction = kind;
    a.racmove.filepath = folder;
    a.raccopy.filepath = folder;
    a.raclaunch = {program, "mfile"};
    return a;
}

RuleRec ruleOf(std::vector<ruleactionrec> actions) {
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = NewFile;
    rule.actions = std::move(actions);
    rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
    return rule;
}

ServiceTable serviceOver(const std::string& folder, const std::vector<RuleRec>& rules) {
    ServiceTable table;
    rServiceRules service;
    service.enabled = true;
    service.sharedir = folder;
    service.rulelist.rules = rules;
    service.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
    table.services = {service};
    return table;
}

std::vector<std::string> simulatedLines(ServiceTable table) {
    test::RecordingEnvironment real;
    std::vector<std::string> lines;
    EXPECT_EQ(RunSimulation(table, real, [&](const std::string& line) { lines.push_back(line); }),
              0);
    EXPECT_TRUE(real.launches.empty()) << "a simulation starts nothing";
    return lines;
}

// What a verbose run prints for a cycle in which, as in a simulation, every entry is new.
std::vector<std::string> performedLines(ServiceTable table) {
    for (rServiceRules& service : table.services)
        service.knownready = true;
    test::RecordingEnvironment real;
    std::vector<std::string> lines;
    ReportingEnvironment reporting(real, [&](const std::string& line) { lines.push_back(line); });
    runMonitorCycle(table, false, reporting);
    return lines;
}

TEST(Simulation, ForeseesFailuresFromTheDiskAndFromItsOwnEarlierOperations) {
    test::TempFolder temp;
    const std::string in = temp.file("in"), out = temp.file("out"), copies = temp.file("copies");
    const auto q = [](const std::string& path) { return "\"" + path + "\""; };
    const auto two = [&](const char* verb, const std::string& from, const std::string& to) {
        return std::string(verb) + " " + q(from) + " " + q(to);
    };
    const std::string a = in + "/a", outA = out + "/a";
    struct Case {
        const char* what;
        std::function<void()> setUp; // beyond "in/a" and the folders in, out and copies
        std::vector<RuleRec> rules;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"later actions act on the moved file",
         [] {},
         {ruleOf({action(rMove, out), action(rCopy, copies), action(rDelete),
                  action(rLaunch, {}, "true")})},
         {two("move", a, outA), two("copy", outA, copies + "/a"), "delete " + q(outA),
          "launch \"true\" " + q(outA)}},
        {"a later rule finds the file gone, and its failed copy ends that rule for the file",
         [] {},
         {ruleOf({action(rDelete)}), ruleOf({action(rCopy, copies), action(rDelete)}),
          ruleOf({action(rDelete)})},
         {"delete " + q(a), "failed " + two("copy", a, copies + "/a"), "failed delete " + q(a)}},
        {"a missing destination folder; the failed file is passed over",
         [] {},
         {ruleOf({action(rMove, temp.file("missing")), action(rLaunch, {}, "true")})},
         {"failed " + two("move", a, temp.file("missing") + "/a")}},
        {"a destination folder that is a file",
         [&] { test::writeBytes(temp.file("file"), "f"); },
         {ruleOf({action(rCopy, temp.file("file"))})},
         {"failed " + two("copy", a, temp.file("file") + "/a")}},
        {"the destination is the source itself",
         [] {},
         {ruleOf({action(rMove, in + "/")})},
         {"failed " + two("move", a, in + "//a")}},
        {"a hard link to the source at the destination",
         [&] { fs::create_hard_link(a, outA); },
         {ruleOf({action(rMove, out)})},
         {"failed " + two("move", a, outA)}},
        {"a folder is never moved",
         [&] {
             fs::remove(a);
             fs::create_directories(a);
         },
         {ruleOf({action(rMove, out), action(rDelete)})},
         {"failed " + two("move", a, outA)}},
        {"a program that does not exist",
         [] {},
         {ruleOf({action(rLaunch, {}, "no-such-program-anywhere")})},
         {"failed launch \"no-such-program-anywhere\" " + q(a)}},
    };
    for (const Case& c : cases) {
        fs::remove_all(temp.path());
        for (const std::string& folder : {in, out, copies})
            fs::create_directories(folder);
        test::writeBytes(a, "a");
        c.setUp();
        EXPECT_EQ(simulatedLines(serviceOver(in, c.rules)), c.lines) << c.what;
        EXPECT_TRUE(fs::exists(a)) << c.what << ": nothing changes";
        EXPECT_TRUE(fs::is_empty(copies)) << c.what;
    }
}

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
        auto foreseen = simulatedLines(table);
        std::ranges::sort(foreseen);
        setUp();
        auto performed = performedLines(table);
        std::ranges::sort(performed);
        EXPECT_EQ(foreseen, performed) << c.what;
        EXPECT_EQ(performed.size(), c.lines) << c.what;
        for (const std::string& line : performed)
            EXPECT_FALSE(line.starts_with("failed ")) << c.what << ": " << line;
    }
}

TEST(Simulation, ForeseesWhatARunDoesWithEachKindOfEntryOnEachFileSystem) {
    test::TempFolder temp;
    const std::string in = temp.file("in");
    for (const char* folder : {"in", "out", "far", "alias", "targets"})
        fs::create_directories(temp.file(folder));
    const test::ScopedMount far("none", temp.file("far"), "tmpfs", 0);
    // The folder out seen again: one device, but a rename cannot cross the two mounts.
    const test::ScopedMount alias(temp.file("out"), temp.file("alias"), nullptr, MS_BIND);
    struct Kind {
        const char* what;
        std::optional<test::SpecialEntry> special; // a file where there is none
        bool link; // to the file or special entry, made beside targets/t
    };
    const Kind kinds[] = {{"a file", std::nullopt, false},
                          {"a link", std::nullopt, true},
                          {"a link to a pipe", test::SpecialEntry::Pipe, true},
                          {"a pipe", test::SpecialEntry::Pipe, false},
                          {"a socket", test::SpecialEntry::Socket, false},
                          {"a device node", test::SpecialEntry::Device, false}};
    struct Place {
        const char* what;
        std::string folder;
        bool sameFileSystem;
        bool there;
    };
    const Place places[] = {{"on the same file system", temp.file("out"), true, true},
                            {"on another file system", temp.file("far"), false, far.mounted()},
                            {"through a bind mount", temp.file("alias"), false, alias.mounted()}};
    int number = 0, left = 0;
    for (const std::uint8_t operation : {rMove, rCopy})
        for (const Kind& kind : kinds)
            for (const Place& place : places) {
                const std::string what = std::string(operation == rMove ? "move of " : "copy of ") +
                                         kind.what + " " + place.what;
                // A name of its own for each case, so that nothing left from one meets another.
                const std::string entry = in + "/e" + std::to_string(++number);
                fs::remove_all(in);
                fs::create_directories(in);
                const std::string made =
                    kind.link ? temp.file("targets/e" + std::to_string(number)) : entry;
                if (kind.link)
                    fs::create_symlink(made, entry);
                if (!kind.special)
                    test::writeBytes(made, "e");
                if (!place.there ||
                    (kind.special && !test::makeSpecialEntry(*kind.special, made))) {
                    ++left;
                    continue;
                }
                const ServiceTable table =
                    serviceOver(in, {ruleOf({action(operation, place.folder)})});
                const auto foreseen = simulatedLines(table);
                EXPECT_TRUE(fs::exists(fs::symlink_status(entry))) << what << ": nothing changes";
                const auto performed = performedLines(table);
                EXPECT_EQ(foreseen, performed) << what;
                // Only a rename moves what is never opened, and nothing copies it; a link to it
                // moves as any link does.
                const bool fails =
                    kind.special && (operation == rCopy || (!kind.link && !place.sameFileSystem));
                ASSERT_EQ(performed.size(), 1u) << what;
                EXPECT_EQ(performed[0].starts_with("failed "), fails) << what;
            }
    if (left > 0)
        GTEST_SKIP() << left << " cases left out: no second file system, bind mount or device node";
}

} // namespace
} // namespace lp
