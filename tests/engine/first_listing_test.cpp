// What the folders hold at the start is recorded at once: a file arriving before the first cycle
// is new to it, a file there at the start is not, and nothing is done before that cycle.

#include "engine/activity_log.h"
#include "engine/first_listing.h"
#include "engine/headless_run.h"
#include "engine/system_environment.h"
#include "globals/temp_folder.h"
#include "platform/path_separator.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp {
namespace {

namespace fs = std::filesystem;

TEST(FirstListing, AHeadlessRunTakesFilesArrivingInTheFirstIntervalAsNew) {
    struct Case {
        const char* name;
        std::uint8_t trigger;
        bool earlyMoved;
    };
    for (const Case c : {Case{"new file", NewFile, false}, Case{"file count", FileCount, true}}) {
        test::TempFolder temp;
        fs::create_directories(temp.file("in"));
        fs::create_directories(temp.file("out"));
        const auto in = [&](const char* name) {
            return temp.file("in") + platform::kPathSeparator + name;
        };
        test::writeBytes(in("early"), "x");

        ServiceTable table;
        rServiceRules service;
        service.serviceid = kOtherService;
        service.enabled = true;
        service.sharedir = temp.file("in");
        RuleRec rule;
        rule.enabled = true;
        rule.mcond = c.trigger;
        const ruleactionrec move = test::MoveTo(temp.file("out"));
        rule.actions = {move};
        rule.actioncnt = 1;
        service.rulelist = {1, {rule}};
        table.services = {service};

        CommandLine options;
        options.cycles = 1;
        bool earlyStayedThroughTheWait = false;
        const StopWait wait = [&](std::chrono::milliseconds) {
            earlyStayedThroughTheWait = fs::exists(in("early"));
            test::writeBytes(in("late"), "x");
            return false;
        };
        SystemEnvironment system;
        ActivityLog log(temp.file("activity.log"));
        ASSERT_EQ(RunHeadless(table, options, {}, system, log, wait, {}), 0);
        EXPECT_TRUE(earlyStayedThroughTheWait) << c.name << ": nothing is done before the cycle";
        EXPECT_FALSE(fs::exists(in("late"))) << c.name;
        EXPECT_NE(fs::exists(in("early")), c.earlyMoved) << c.name;
        EXPECT_EQ(table.services[0].rulelist.rulecnt, 1) << c.name << ": the rules stay";
    }
}

// What the start's listing found goes into the table, the sub-folders it could not list and has
// said so included, so that the first cycle does not say them again; the rules stay.
TEST(FirstListing, KeepsWhatTheListingFoundAndTheRules) {
    ServiceTable table;
    rServiceRules service;
    service.sharedir = "/watched";
    service.rulelist = {1, {RuleRec{}}};
    table.services = {service};
    RecordFirstListing(table, [](ServiceTable& listing) {
        rServiceRules& listed = listing.services.at(0);
        EXPECT_EQ(listed.rulelist.rulecnt, 0) << "the listing acts on nothing";
        listed.knownready = true;
        listed.knownfiles = {{"a.pdf", 1, 2.0}};
        listed.knowncnt = 1;
        listed.unlistedSubfolders = {"locked"};
    });
    const rServiceRules& after = table.services.at(0);
    EXPECT_TRUE(after.knownready);
    EXPECT_EQ(after.knowncnt, 1);
    EXPECT_EQ(after.knownfiles.at(0).name, "a.pdf");
    EXPECT_EQ(after.unlistedSubfolders, std::vector<std::string>{"locked"});
    EXPECT_EQ(after.rulelist.rulecnt, 1);
}

} // namespace
} // namespace lp
