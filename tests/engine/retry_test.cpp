// Retries through the real cycle on real folders: a rule takes a file up again at the operation
// that failed, never repeating what succeeded, at doubling intervals for a day, each stage said
// once in the activity log.

#include "engine/logging_environment.h"
#include "engine/monitor_cycle.h"
#include "engine/operation_report.h"
#include "globals/temp_folder.h"
#include "platform/file_operations.h"
#include "platform/path_separator.h"
#include "recording_environment.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

namespace lp {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::readBytes;
using test::writeBytes;

// A service over "in" with one rule, run cycle after cycle as the program runs them, the clock
// moved by the test. A delete goes to the trash, which the test environment lacks, so it fails
// as one from a write-protected card does.
class Retries : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"in", "backup", "out"})
            fs::create_directories(temp.file(folder));
    }
    std::string at(const std::string& folder, const std::string& name = {}) const {
        return name.empty() ? temp.file(folder)
                            : temp.file(folder) + platform::kPathSeparator + name;
    }
    void serve(std::uint8_t trigger, std::vector<ruleactionrec> actions, NameClash clash) {
        rServiceRules service;
        service.enabled = true;
        service.othername = "Card";
        service.sharedir = at("in");
        RuleRec rule;
        rule.rulename = "Back up";
        rule.enabled = true;
        rule.mcond = trigger;
        rule.actions = std::move(actions);
        rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
        service.rulelist.rules = {rule};
        service.rulelist.rulecnt = 1;
        table.services = {service};
        policy = {clash, true};
        memory = CycleMemory();
        cycle(true);
    }
    rServiceRules& service() { return table.services[0]; }
    // One cycle at the given time since the file arrived; the lines it printed.
    std::vector<std::string> cycle(bool first = false) {
        printed.clear();
        runMonitorCycle(table, first, policy, reporting, &memory);
        return printed;
    }
    std::vector<std::string> cycleAt(std::chrono::seconds since) {
        real.clock = std::chrono::steady_clock::time_point{} + since;
        return cycle();
    }
    std::vector<std::string> namesIn(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(at(folder)))
            names.push_back(entry.path().filename().string());
        std::ranges::sort(names);
        return names;
    }
    // The activity log's lines of one verb.
    std::size_t logged(const std::string& verb, bool failed = false) const {
        std::istringstream in(readBytes(log.path()));
        std::size_t count = 0;
        for (std::string line; std::getline(in, line);) {
            const auto entry = ParseActivityLine(line);
            EXPECT_TRUE(entry) << line;
            count += entry && entry->action == verb && entry->failed == failed;
        }
        return count;
    }
    static std::size_t countOf(const std::vector<std::string>& lines, const std::string& start) {
        return static_cast<std::size_t>(std::ranges::count_if(
            lines, [&](const std::string& line) { return line.starts_with(start); }));
    }

    test::TempFolder temp;
    ServiceTable table;
    SortingPolicy policy;
    test::RecordingEnvironment real;
    ActivityLog log{temp.file("activity.log")};
    LoggingEnvironment logging{real, log};
    std::vector<std::string> printed;
    ReportingEnvironment reporting{logging,
                                   [this](const std::string& line) { printed.push_back(line); }};
    CycleMemory memory; // after the environment, whose folder watches it gives back
};

TEST_F(Retries, WhatSucceededIsNotMadeAgain) {
    struct Case {
        const char* what;
        std::uint8_t trigger;
        std::vector<ruleactionrec> actions;
        NameClash clash;
        std::vector<std::string> backup; // what "backup" holds after every cycle
        std::size_t launches;
    };
    const std::string backup = at("backup"), missing = at("missing");
    const Case cases[] = {
        {"copy, then a failing delete, keeping both",
         NewFile,
         {test::ActionTo(rCopy, backup), test::ActionTo(rDelete)},
         NameClash::KeepBoth,
         {"photo.jpg"},
         0},
        {"copy, then a failing delete, replacing",
         NewFile,
         {test::ActionTo(rCopy, backup), test::ActionTo(rDelete)},
         NameClash::Replace,
         {"photo.jpg"},
         0},
        {"a count rule that selects the file every cycle",
         FileCount,
         {test::ActionTo(rCopy, backup), test::ActionTo(rDelete)},
         NameClash::KeepBoth,
         {"photo.jpg"},
         0},
        {"a launch, then a failing move",
         NewFile,
         {test::ActionTo(rLaunch), test::ActionTo(rMove, missing)},
         NameClash::KeepBoth,
         {},
         1},
        {"a launch for the rule, a copy, then a failing delete",
         NewFile,
         {[] {
              ruleactionrec once = test::ActionTo(rLaunch);
              once.raclaunch.fparams = "--refresh";
              return once;
          }(),
          test::ActionTo(rCopy, backup), test::ActionTo(rDelete)},
         NameClash::KeepBoth,
         {"photo.jpg"},
         1},
    };
    for (const Case& c : cases) {
        fs::remove_all(at("backup"));
        fs::create_directories(at("backup"));
        fs::remove_all(at("in"));
        fs::create_directories(at("in"));
        real.launches.clear();
        serve(c.trigger, c.actions, c.clash);
        writeBytes(at("in", "photo.jpg"), "picture");
        std::size_t copies = 0;
        // Every cycle due: the clock moves an hour each time.
        for (int n = 0; n < 8; ++n) {
            const auto lines = cycleAt(std::chrono::hours(n));
            copies += countOf(lines, "copy ");
            EXPECT_EQ(countOf(lines, "failed "), 1U) << c.what << ", cycle " << n;
            EXPECT_EQ(namesIn("backup"), c.backup) << c.what << ", cycle " << n;
        }
        EXPECT_EQ(copies, c.backup.size()) << c.what << ": copied once";
        EXPECT_EQ(real.launches.size(), c.launches) << c.what;
        EXPECT_EQ(readBytes(at("in", "photo.jpg")), "picture") << c.what;
    }
}

// A retry taken up at the delete finds the rule's copy still there first: a copy removed or
// replaced meanwhile is made again, or the file would be deleted with no copy anywhere; one
// kept under a numbered name ("keep both") is found there and not made again.
TEST_F(Retries, ADeleteRetriedAfterItsCopyFindsTheCopyFirst) {
    struct Case {
        const char* what;
        bool takenBefore; // backup held another photo.jpg, so the copy got a numbered name
        std::function<void(const std::string& copy)> meanwhile;
        std::size_t copiesAtRetry;
    };
    const auto removed = [](const std::string& copy) { fs::remove(copy); };
    const auto lookAlike = [](const std::string& copy) {
        const auto time = fs::last_write_time(copy);
        writeBytes(copy, "PICTURE");
        fs::last_write_time(copy, time);
    };
    const Case cases[] = {
        {"the copy stands", false, nullptr, 0},
        {"the copy was removed", false, removed, 1},
        {"the copy was replaced by a look-alike", false, lookAlike, 1},
        {"the copy stands under its numbered name", true, nullptr, 0},
        {"the copy under its numbered name was removed", true, removed, 1},
        {"a folder took the copy's name", false,
         [](const std::string& copy) {
             fs::remove(copy);
             fs::create_directory(copy);
         },
         1},
    };
    for (const Case& c : cases) {
        for (const char* folder : {"in", "backup"}) {
            fs::remove_all(at(folder));
            fs::create_directories(at(folder));
        }
        serve(NewFile, {test::ActionTo(rCopy, at("backup")), test::ActionTo(rDelete)},
              NameClash::KeepBoth);
        if (c.takenBefore)
            writeBytes(at("backup", "photo.jpg"), "older");
        writeBytes(at("in", "photo.jpg"), "picture");
        ASSERT_EQ(countOf(cycleAt(0s), "failed trash"), 1U) << c.what;
        const std::string copy = at("backup", c.takenBefore ? "photo (2).jpg" : "photo.jpg");
        ASSERT_EQ(readBytes(copy), "picture") << c.what;
        if (c.meanwhile)
            c.meanwhile(copy);
        const auto lines = cycleAt(1h);
        EXPECT_EQ(countOf(lines, "copy "), c.copiesAtRetry) << c.what;
        EXPECT_EQ(countOf(lines, "failed trash"), 1U) << c.what << ": then the delete";
        const auto again = cycleAt(3h);
        EXPECT_EQ(countOf(again, "copy "), 0U) << c.what << ": the copy made is found again";
        EXPECT_EQ(countOf(again, "failed trash"), 1U) << c.what;
        const auto names = namesIn("backup");
        EXPECT_EQ(std::ranges::count_if(names,
                                        [&](const std::string& name) {
                                            return fs::is_regular_file(at("backup", name)) &&
                                                   readBytes(at("backup", name)) == "picture";
                                        }),
                  1)
            << c.what << ": one whole copy, whatever happened to the first";
    }
}

TEST_F(Retries, TheyBackOffToOneAnHourAndEndAfterADay) {
    serve(NewFile, {test::ActionTo(rCopy, at("backup")), test::ActionTo(rDelete)},
          NameClash::KeepBoth);
    writeBytes(at("in", "photo.jpg"), "picture");
    // A cycle every ten seconds for three hours; the retries double from one cycle on.
    std::vector<std::int64_t> tries;
    for (std::int64_t t = 0; t <= 3 * 3600; t += 10)
        if (countOf(cycleAt(std::chrono::seconds(t)), "failed trash") == 1)
            tries.push_back(t);
    const std::vector<std::int64_t> expected{0, 10, 30, 70, 150, 310, 630, 1270, 2550, 5110, 8710};
    EXPECT_EQ(tries, expected);
    EXPECT_EQ(logged("retry"), 1U);
    EXPECT_EQ(logged("retry-hourly"), 1U) << "said at 5110 s, when the interval reached an hour";
    EXPECT_EQ(logged("give-up"), 0U);

    EXPECT_EQ(countOf(cycleAt(24h - 1s), "failed trash"), 1U) << "still tried within the day";
    EXPECT_TRUE(cycleAt(24h).empty()) << "given up, not tried";
    for (const std::chrono::seconds later :
         {std::chrono::seconds(24h + 1s), std::chrono::seconds(48h), std::chrono::seconds(100h)})
        EXPECT_TRUE(cycleAt(later).empty()) << "left alone once given up";
    EXPECT_EQ(logged("give-up"), 1U);
    EXPECT_EQ(logged("trash", true), 1U) << "a repeated failure is written once";
    EXPECT_EQ(logged("copy"), 1U);
    EXPECT_EQ(namesIn("backup"), std::vector<std::string>{"photo.jpg"});
    ASSERT_EQ(service().knownfiles.size(), 1U);
    EXPECT_EQ(service().knownfiles[0].name, "photo.jpg");
}

TEST_F(Retries, AChangedFileStartsOverAndAVanishedOneIsForgotten) {
    serve(NewFile, {test::ActionTo(rCopy, at("backup")), test::ActionTo(rDelete)},
          NameClash::KeepBoth);
    writeBytes(at("in", "photo.jpg"), "picture");
    cycleAt(0s);
    ASSERT_EQ(service().retries.size(), 1U);
    // The folder was listed without sizes and dates when the file failed: its first retry
    // takes them, and tells a change from then on.
    EXPECT_EQ(countOf(cycleAt(10s), "failed trash"), 1U);

    writeBytes(at("in", "photo.jpg"), "another picture, longer");
    const auto lines = cycleAt(20s);
    EXPECT_EQ(countOf(lines, "copy "), 1U) << "a changed file is copied from the start";
    EXPECT_EQ(namesIn("backup"), (std::vector<std::string>{"photo (2).jpg", "photo.jpg"}));
    EXPECT_EQ(readBytes(at("backup", "photo (2).jpg")), "another picture, longer");
    EXPECT_EQ(logged("retry"), 2U) << "its retries start over too";
    EXPECT_EQ(countOf(cycleAt(30s), "copy "), 0U);

    // Many failing files cost the same from one cycle to the next.
    for (int i = 0; i < 20; ++i)
        writeBytes(at("in", "more" + std::to_string(i)), "x");
    cycleAt(30s);
    const std::size_t waiting = service().retries[0].files.size();
    EXPECT_EQ(waiting, 21U);
    for (int n = 4; n < 40; ++n)
        cycleAt(std::chrono::seconds(10 * n));
    EXPECT_EQ(service().retries[0].files.size(), waiting);

    for (const auto& entry : fs::directory_iterator(at("in")))
        fs::remove(entry.path());
    cycleAt(1h);
    EXPECT_TRUE(service().retries.empty()) << "the files are gone, so are their retries";
}

TEST_F(Retries, AChangedRuleStartsOverAndAnIdenticalCopyCountsAsMade) {
    // "Leave" fails a copy onto a taken name; the identical file there counts as the copy.
    serve(NewFile, {test::ActionTo(rCopy, at("backup")), test::ActionTo(rDelete)},
          NameClash::Leave);
    writeBytes(at("in", "photo.jpg"), "picture");
    writeBytes(at("backup", "photo.jpg"), "older");
    EXPECT_EQ(countOf(cycleAt(0s), "failed copy"), 1U);
    // A file that only looks alike (its size and last-write time) is no copy: the source stays.
    writeBytes(at("backup", "photo.jpg"), "PICTURE");
    fs::last_write_time(at("backup", "photo.jpg"), fs::last_write_time(at("in", "photo.jpg")));
    const auto alike = cycleAt(5s);
    EXPECT_EQ(countOf(alike, "failed copy"), 1U) << "tried again, and left";
    EXPECT_EQ(countOf(alike, "trash "), 0U) << "no delete without a copy";
    // As an earlier copy of ours left it, with its size and last-write time.
    ASSERT_FALSE(platform::CopyFileReplacing(at("in", "photo.jpg"), at("backup", "photo.jpg")));
    const auto lines = cycleAt(1h);
    EXPECT_EQ(countOf(lines, "copy ") + countOf(lines, "failed copy"), 0U) << "counted as made";
    EXPECT_EQ(countOf(lines, "failed trash"), 1U) << "the rule went on to the delete";

    // The user changes the rule: its retries are dropped, the file is known and left alone.
    service().rulelist.rules[0].actions.pop_back();
    service().rulelist.rules[0].actioncnt = 1;
    EXPECT_TRUE(cycleAt(2h).empty());
    EXPECT_TRUE(service().retries.empty());
}

} // namespace
} // namespace lp
