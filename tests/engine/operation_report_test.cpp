// The printed operation lines, and the simulation that changes nothing.

#include "engine/failure_reason.h"
#include "engine/headless_run.h"
#include "engine/operation_report.h"
#include "engine/rule_actions.h"
#include "globals/temp_folder.h"
#include "platform/path_separator.h"
#include "program_on_path.h"
#include "recording_environment.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp {
namespace {

namespace fs = std::filesystem;

TEST(OperationReport, ValuesAreQuotedAndEscaped) {
    struct Case {
        std::string value, quoted;
    };
    const Case cases[] = {
        {"", "\"\""},
        {"/in/a b.mp3", "\"/in/a b.mp3\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"two\nlines\r", "\"two\\nlines\\r\""},
        {"tab\there", "\"tab\\there\""},
        {std::string("nul\0bell\a", 9), "\"nul\\x00bell\\x07\""},
        {"\x1b]0;title\x07\x1b[2J\x7f", "\"\\x1B]0;title\\x07\\x1B[2J\\x7F\""},
        {"next\xc2\x85line \xc2\x9b", "\"next\\xC2\\x85line \\xC2\\x9B\""}, // C1
        {"caf\xc3\xa9 \xc2\xa0 \xe2\x82\xac \xf0\x9f\x8e\xb5",              // valid text stays
         "\"caf\xc3\xa9 \xc2\xa0 \xe2\x82\xac \xf0\x9f\x8e\xb5\""},
        {"latin1 caf\xe9!", "\"latin1 caf\\xE9!\""},
        {"cut \xe2\x82", "\"cut \\xE2\\x82\""},
        {"stray \x80 overlong \xc0\xaf", "\"stray \\x80 overlong \\xC0\\xAF\""},
        {"surrogate \xed\xa0\x80 beyond \xf4\x90\x80\x80",
         "\"surrogate \\xED\\xA0\\x80 beyond \\xF4\\x90\\x80\\x80\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuoteValue(c.value), c.quoted);
}

class Reporting : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp.file("in"));
        fs::create_directories(temp.file("out"));
        test::writeBytes(temp.file("in/a"), "a");
    }
    // A name in a folder of the test, joined as the engine joins them.
    std::string inside(const char* folder, const char* name) const {
        return temp.file(folder) + platform::kPathSeparator + name;
    }

    std::vector<std::string> lines;
    LinePrinter print = [this](const std::string& line) { lines.push_back(line); };
    test::TempFolder temp;
    test::RecordingEnvironment real;
};

TEST_F(Reporting, EachOperationIsPrintedAsItIsDoneAndFailuresAreMarked) {
    ReportingEnvironment reporting(real, print);
    EXPECT_TRUE(reporting.copyFile(temp.file("in/a"), temp.file("out/a"), NameClash::Replace));
    EXPECT_FALSE(
        reporting.moveFile(temp.file("in/none"), temp.file("out/none"), NameClash::Replace));
    EXPECT_TRUE(reporting.deleteFile(temp.file("out/a")));
    EXPECT_TRUE(reporting.launch("prog", {"x y", ""}));
    const std::vector<std::string> expected{
        "copy " + QuoteValue(temp.file("in/a")) + ' ' + QuoteValue(temp.file("out/a")),
        "failed move " + QuoteValue(temp.file("in/none")) + ' ' +
            QuoteValue(temp.file("out/none")) + ReasonPart(kFileGone),
        "delete " + QuoteValue(temp.file("out/a")),
        "launch \"prog\" \"x y\" \"\"",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_FALSE(fs::exists(temp.file("out/a")));
    EXPECT_EQ(real.launches.size(), 1u);
}

TEST_F(Reporting, ASimulationCountsEveryEntryAsNewAndTouchesNothing) {
    ServiceTable table;
    rServiceRules service;
    service.enabled = true;
    service.sharedir = temp.file("in");
    service.knownready = true;
    service.knowncnt = 1;
    service.knownfiles = {filerec{"a", 1, 0.0}}; // even a known file counts as new here
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = NewFile;
    const ruleactionrec move = test::MoveTo(temp.file("out"));
    const ruleactionrec launch = test::Launching(test::kProgramOnPath, "mfile");
    rule.actions = {move, launch};
    rule.actioncnt = 2;
    service.rulelist = {1, {rule}};
    table.services = {service};

    EXPECT_EQ(RunSimulation(table, {}, real, print), 0);
    const std::vector<std::string> expected{
        "move " + QuoteValue(inside("in", "a")) + ' ' + QuoteValue(inside("out", "a")),
        "launch " + QuoteValue(test::kProgramOnPath) + ' ' + QuoteValue(inside("out", "a")),
    };
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(fs::exists(temp.file("in/a")));
    EXPECT_TRUE(fs::is_empty(temp.file("out")));
    EXPECT_TRUE(real.launches.empty());
}

TEST_F(Reporting, AHeadlessRunWaitsBeforeEachCycleAndStopsWhenAsked) {
    ServiceTable table;
    CommandLine options;
    options.intervalMs = 250;
    struct Case {
        std::optional<std::int64_t> cycles;
        int stopAtWait; // the wait that reports a stop request; 0 = never
        int waits;
    };
    for (const Case c : {Case{3, 0, 3}, Case{0, 0, 0}, Case{std::nullopt, 2, 2}}) {
        options.cycles = c.cycles;
        int waits = 0;
        const StopWait wait = [&](std::chrono::milliseconds interval) {
            EXPECT_EQ(interval.count(), 250);
            return ++waits == c.stopAtWait;
        };
        ActivityLog log(temp.file("activity.log"));
        EXPECT_EQ(RunHeadless(table, options, {}, real, log, wait, print), 0);
        EXPECT_EQ(waits, c.waits);
    }
}

} // namespace
} // namespace lp
