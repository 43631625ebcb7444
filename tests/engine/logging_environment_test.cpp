// A cycle's operations in the activity log: each with the folder and rule it was done for, the
// name the file actually got, and what identifies the file there.

#include "engine/failure_reason.h"
#include "engine/logging_environment.h"
#include "engine/monitor_cycle.h"
#include "engine/operation_report.h"
#include "engine/simulating_environment.h"
#include "globals/temp_folder.h"
#include "recording_environment.h"
#include "support/native_path.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::NativePath;
using test::writeBytes;

RuleRec rule(std::string name, std::vector<ruleactionrec> actions) {
    RuleRec made;
    made.rulename = std::move(name);
    made.enabled = true;
    made.mcond = FileCount; // fires whenever the folder holds more than fcnt (0) files
    made.actions = std::move(actions);
    made.actioncnt = static_cast<std::int32_t>(made.actions.size());
    return made;
}

std::vector<ActivityEntry> entriesOf(const std::string& path) {
    std::istringstream in(test::readBytes(path));
    std::vector<ActivityEntry> entries;
    for (std::string line; std::getline(in, line);)
        entries.push_back(ParseActivityLine(line).value());
    return entries;
}

TEST(LoggingEnvironment, EachOperationIsLoggedForItsFolderAndRule) {
    test::TempFolder temp;
    for (const char* folder : {"in", "out", "other"})
        fs::create_directories(temp.file(folder));
    writeBytes(temp.file(NativePath("in/a.mp3")), "music");
    writeBytes(temp.file(NativePath("out/a.mp3")), "older");
    writeBytes(temp.file(NativePath("other/b")), "b");

    ServiceTable table;
    rServiceRules music;
    music.enabled = true;
    music.othername = "Music";
    music.sharedir = temp.file("in");
    music.rulelist.rules = {
        rule("Keep", {test::ActionTo(rCopy, temp.file("out")),
                      test::ActionTo(rMove, temp.file("missing"))}),
        rule("Play", {test::ActionTo(rLaunch)}),
    };
    music.rulelist.rulecnt = 2;
    rServiceRules unnamed; // a folder the user gave no name: known by its path
    unnamed.enabled = true;
    unnamed.sharedir = temp.file("other");
    unnamed.rulelist.rules = {rule("", {test::ActionTo(rDelete)})};
    unnamed.rulelist.rulecnt = 1;
    table.services = {music, unnamed};

    test::RecordingEnvironment real;
    ActivityLog log(temp.file(NativePath("state/activity.log")));
    LoggingEnvironment logging(real, log);
    runMonitorCycle(table, false, {NameClash::KeepBoth, false}, logging);

    const auto entries = entriesOf(temp.file(NativePath("state/activity.log")));
    ASSERT_EQ(entries.size(), 5u);
    const std::string copyGot = temp.file(NativePath("out/a (2).mp3"));
    struct Expected {
        std::string folder, rule;
        bool failed;
        std::string action;
        std::vector<std::string> values;
    };
    const Expected expected[] = {
        {"Music", "Keep", false, "copy", {temp.file(NativePath("in/a.mp3")), copyGot}},
        {"Music",
         "Keep",
         true,
         "move",
         {temp.file(NativePath("in/a.mp3")), temp.file(NativePath("missing/a.mp3"))}},
        {"Music", "Keep", false, "retry", {temp.file(NativePath("in/a.mp3"))}},
        {"Music", "Play", false, "launch", {"player", temp.file(NativePath("in/a.mp3"))}},
        {temp.file("other"), "", false, "delete", {temp.file(NativePath("other/b"))}},
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].folder, expected[i].folder) << i;
        EXPECT_EQ(entries[i].rule, expected[i].rule) << i;
        EXPECT_EQ(entries[i].failed, expected[i].failed) << i;
        EXPECT_EQ(entries[i].action, expected[i].action) << i;
        EXPECT_EQ(entries[i].values, expected[i].values) << i;
    }
    // Only the copy that succeeded says what it left behind, as it was right afterwards.
    EXPECT_EQ(entries[0].identity, platform::IdentifyFile(copyGot));
    ASSERT_TRUE(entries[0].identity);
    EXPECT_EQ(entries[0].identity->size, 5u);
    for (std::size_t i = 1; i < entries.size(); ++i)
        EXPECT_FALSE(entries[i].identity) << i;
}

// Each failure says why, the same in the log and in what a simulation foresees (the verbose
// output): Larchpost's own words where it knows the cause, the system's otherwise.
TEST(LoggingEnvironment, EachFailureIsLoggedWithItsReason) {
    struct Case {
        const char* what;
        std::uint8_t kind;
        const char* destination; // under the temporary folder
        SortingPolicy policy;
        std::string reason;
    };
    const Case cases[] = {
        {"move to a missing folder", rMove, "missing", {}, std::string(kFolderMissing)},
        {"copy to a missing folder", rCopy, "missing", {}, std::string(kFolderMissing)},
        {"move onto a taken name, left",
         rMove,
         "out",
         {NameClash::Leave, false},
         std::string(kNameTakenLeft)},
        {"copy onto a taken name, left",
         rCopy,
         "out",
         {NameClash::Leave, false},
         std::string(kNameTakenLeft)},
        {"copy onto itself, replacing", rCopy, "in", {}, std::string(kOntoItself)},
        {"move onto itself, left",
         rMove,
         "in",
         {NameClash::Leave, false},
         std::string(kOntoItself)},
        {"delete into no trash", rDelete, "", {NameClash::Replace, true}, std::string(kNoTrash)},
    };
    for (const Case& c : cases) {
        test::TempFolder temp;
        for (const char* folder : {"in", "out"})
            fs::create_directories(temp.file(folder));
        writeBytes(temp.file(NativePath("in/a")), "new");
        writeBytes(temp.file(NativePath("out/a")), "older"); // never taken for a copy made
        ServiceTable table;
        rServiceRules watched;
        watched.enabled = true;
        watched.othername = "In";
        watched.sharedir = temp.file("in");
        watched.rulelist.rules = {rule("Sort", {test::ActionTo(c.kind, temp.file(c.destination))})};
        watched.rulelist.rulecnt = 1;
        table.services = {watched};

        test::RecordingEnvironment real;
        std::vector<std::string> foreseen;
        SimulatingEnvironment simulating(real, {});
        ReportingEnvironment reporting(simulating,
                                       [&](const std::string& line) { foreseen.push_back(line); });
        runMonitorCycle(table, false, c.policy, reporting);
        ASSERT_EQ(foreseen.size(), 1u) << c.what;
        EXPECT_TRUE(foreseen[0].starts_with("failed ")) << c.what << ": " << foreseen[0];
        EXPECT_TRUE(foreseen[0].ends_with(ReasonPart(c.reason))) << c.what << ": " << foreseen[0];

        ActivityLog log(temp.file(NativePath("state/activity.log")));
        LoggingEnvironment logging(real, log);
        runMonitorCycle(table, false, c.policy, logging);
        const auto entries = entriesOf(temp.file(NativePath("state/activity.log")));
        ASSERT_FALSE(entries.empty()) << c.what;
        EXPECT_TRUE(entries[0].failed) << c.what;
        EXPECT_EQ(entries[0].reason, c.reason) << c.what;
        EXPECT_EQ(test::readBytes(temp.file(NativePath("in/a"))), "new") << c.what;
    }
}

// The errors that say a file is held by another program read as such; the others as the system
// words them.
TEST(LoggingEnvironment, ErrorsReadAsTheirReasons) {
    const std::pair<std::errc, std::string> cases[] = {
        {std::errc::device_or_resource_busy, std::string(kFileInUse)},
        {std::errc::text_file_busy, std::string(kFileInUse)},
        {std::errc::resource_unavailable_try_again, std::string(kFileInUse)},
        {std::errc::no_space_on_device,
         std::make_error_code(std::errc::no_space_on_device).message()},
        {std::errc::permission_denied,
         std::make_error_code(std::errc::permission_denied).message()},
    };
    for (const auto& [error, reason] : cases)
        EXPECT_EQ(FailureReason(std::make_error_code(error)), reason) << reason;
    EXPECT_EQ(FailureReason({}), "");
}

} // namespace
} // namespace lp
