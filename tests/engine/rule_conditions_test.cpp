// The rule conditions through the real file format and a real cycle: a configuration text is
// read, its folder's rule runs over real files, and what is left in the folder tells which files
// the rule took.

#include "engine/monitor_cycle.h"
#include "engine/passed_over_rules.h"
#include "globals/config_file.h"
#include "globals/temp_folder.h"
#include "platform/path_separator.h"
#include "recording_environment.h"
#include "rule_config_text.h"
#include "simulation_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::configText;
using test::namesIn;
using test::RuleText;

TEST(RuleConditions, EachKindSelectsWhatItSaysThroughTheFileAndACycle) {
    const std::vector<std::string> files = {"Scan_01.PDF", "invoice-may.pdf", "notes.txt",
                                            "photo.JPG", "report.pdf"};
    struct Case {
        const char* what;
        std::string version;
        std::vector<RuleText> rules;
        std::vector<std::string> left; // in the folder after the turn
        bool passedOver = false;
    };
    const Case cases[] = {
        {"an unknown kind selects nothing", "1.00", {{{"rcond=9"}}}, files, true},
        {"a version-2 kind in a version-1 file selects nothing",
         "1.00",
         {{{"rcond=6"}}},
         files,
         true},
        {"an unknown kind beside a known one still selects nothing",
         "2.00",
         {{{"anycond=0", "rcond=0", "ext=txt", "rcond=12"}, 2}},
         files,
         true},
        {"extension, letter case as stored",
         "1.00",
         {{{"rcond=0", "ext=pdf;jpg"}}},
         {"Scan_01.PDF", "notes.txt", "photo.JPG"}},
        {"extension, any letter case",
         "2.00",
         {{{"rcond=0", "ext=pdf;jpg", "extanycase=0"}}},
         {"notes.txt"}},
        {"name matching, letter case of ASCII ignored",
         "2.00",
         {{{"rcond=5", "names=scan_*;*invoice*"}}},
         {"notes.txt", "photo.JPG", "report.pdf"}},
        {"name not matching",
         "2.00",
         {{{"rcond=6", "names=scan_*;*invoice*"}}},
         {"Scan_01.PDF", "invoice-may.pdf"}},
        {"name matching with empty pieces only matches nothing",
         "2.00",
         {{{"rcond=5", "names=;"}}},
         files},
        {"all conditions together",
         "2.00",
         {{{"rcond=0", "ext=pdf", "rcond=6", "names=invoice*"}, 2}},
         {"Scan_01.PDF", "invoice-may.pdf", "notes.txt", "photo.JPG"}},
        {"any one condition",
         "2.00",
         {{{"anycond=0", "rcond=0", "ext=txt", "rcond=5", "names=*.jpg"}, 2}},
         {"Scan_01.PDF", "invoice-may.pdf", "report.pdf"}},
        {"a destination with a placeholder not known yet",
         "2.00",
         {{{"rcond=5", "names=*"}, 1, {"raction=0", "filepath=/nowhere/{colour}"}}},
         files,
         true},
        {"a later rule leaves alone what a stopping rule took",
         "2.00",
         {{{"stopafter=0", "rcond=5", "names=*.pdf"}, 1, {"raction=1", "filepath=OUT"}}, {{}, 0}},
         {"Scan_01.PDF", "invoice-may.pdf", "report.pdf"}},
        {"without stopping, the later rule takes every file",
         "2.00",
         {{{"rcond=5", "names=*.pdf"}, 1, {"raction=1", "filepath=OUT"}}, {{}, 0}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const std::string inbox = temp.file("in"), outbox = temp.file("out");
        fs::create_directories(inbox);
        fs::create_directories(outbox);
        for (const auto& name : files)
            test::writeBytes(inbox + platform::kPathSeparator + name, "x");
        std::vector<RuleText> rules = c.rules;
        for (RuleText& rule : rules)
            for (std::string& line : rule.actionLines)
                if (line == "filepath=OUT")
                    line = "filepath=" + outbox;
        ServiceTable table;
        ASSERT_EQ(ReadConfigContent(configText(c.version, inbox, rules), table,
                                    [](const std::string&) {}),
                  0);
        EXPECT_EQ(PassedOverNotices(table).size(), c.passedOver ? 1u : 0u);
        // The simulation foresees exactly the deletes the real cycle then does.
        std::vector<std::string> foreseen;
        for (const std::string& line : test::simulatedLines(table))
            if (line.starts_with("delete \""))
                foreseen.push_back(fs::path(line.substr(8, line.size() - 9)).filename().string());
        std::ranges::sort(foreseen);
        rServiceRules& service = table.services.at(0);
        service.knownready = true; // every file in the folder counts as new
        test::RecordingEnvironment environment;
        RunServiceTurn(service, false, {}, environment);
        EXPECT_EQ(namesIn(inbox), c.left);
        std::vector<std::string> deleted;
        std::ranges::set_difference(files, c.left, std::back_inserter(deleted));
        EXPECT_EQ(foreseen, deleted);
    }
}

} // namespace
} // namespace lp
