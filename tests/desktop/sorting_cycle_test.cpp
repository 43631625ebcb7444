// The desktop program's cycle: it follows the options as last stored, from the next cycle on,
// and logs what it does.

#include "desktop/registry_settings.h"
#include "desktop/sorting_cycle.h"
#include "support/rule_action.h"
#include "support/scoped_config_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lp {
namespace {

namespace fs = std::filesystem;

TEST(DesktopSortingCycle, StoredOptionsCountFromTheNextCycleAndEveryOperationIsLogged) {
    test::ScopedConfigHome home;
    const fs::path root = home.path().toStdString();
    fs::create_directories(root / "in");
    fs::create_directories(root / "out");
    std::ofstream(root / "out/a") << "older";

    ServiceTable table;
    rServiceRules service;
    service.enabled = true;
    service.othername = "Inbox";
    service.sharedir = (root / "in").string();
    RuleRec rule;
    rule.rulename = "Away";
    rule.enabled = true;
    rule.mcond = FileCount; // fires whenever the folder holds a file
    const ruleactionrec move = test::MoveTo((root / "out").string());
    rule.actions = {move};
    rule.actioncnt = 1;
    service.rulelist = {1, {rule}};
    table.services = {service};

    const std::string log = (root / "state/activity.log").string();
    const DesktopSortingCycle cycle(log);
    struct Step {
        NameClash clash;
        bool stays;
        std::size_t logLines;
    };
    // The failed move is logged with the retry that follows it; the retry moves the file.
    for (const Step step : {Step{NameClash::Leave, true, 2}, Step{NameClash::KeepBoth, false, 3}}) {
        std::ofstream(root / "in/a") << "new";
        ASSERT_TRUE(WriteStoredOptions(settingsStore(), {{step.clash, false}, false}));
        cycle(table, false);
        EXPECT_EQ(fs::exists(root / "in/a"), step.stays);
        EXPECT_EQ(ActivityLogFiles(log).size(), 1u);
        std::ifstream in(log);
        std::size_t lines = 0;
        for (std::string line; std::getline(in, line); ++lines)
            EXPECT_TRUE(ParseActivityLine(line)) << line;
        EXPECT_EQ(lines, step.logLines);
    }
    EXPECT_TRUE(fs::exists(root / "out/a (2)"));
}

} // namespace
} // namespace lp
