// A folder watched with its sub-folders: "subfolders=" in a version-2 file, right after the
// folder's "rulecnt=", only when on; a version-1 file that holds it is a damaged file.

#include "globals/config_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lp {
namespace {

// A file of one folder with one rule; option holds the folder's lines after "rulecnt=".
std::string folderFile(const std::string& version, const std::vector<std::string>& option) {
    std::vector<std::string> lines = {"[Main Info]",    "Version=" + version, "UseSMTP=0",
                                      "SMTP Server=",   "ReplyTo=",           "Service Count=1",
                                      "Custom Count=1", "[Service 1]",        "serviceid=5",
                                      "othernum=1",     "othername=Inbox",    "enabled=0",
                                      "sharedir=/in",   "excludefiles=a/*",   "rulecnt=1"};
    lines.insert(lines.end(), option.begin(), option.end());
    for (const char* line : {"[Rule 1]", "rulename=Sort", "enabled=0", "mcond=0", "condcnt=0",
                             "fcnt=0", "fsize=0", "actioncnt=1", "raction=2"})
        lines.emplace_back(line);
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

TEST(ConfigSubfolders, TheDepthIsReadAtItsPlaceAndWrittenBackAsRead) {
    struct Case {
        const char* what;
        std::string version;
        std::vector<std::string> option;
        bool whole;
        std::int32_t levels;
        bool sameBack; // written back byte for byte
    };
    const Case cases[] = {
        {"version 1, watched alone", "1.00", {}, true, 0, true},
        {"version 2, watched alone", "2.00", {}, true, 0, true},
        {"version 2, three levels", "2.00", {"subfolders=3"}, true, 3, true},
        {"version 2, all levels", "2.00", {"subfolders=32"}, true, 32, true},
        {"version 2, deeper than walked", "2.00", {"subfolders=500"}, true, 32, false},
        {"version 2, none written by hand", "2.00", {"subfolders=0"}, true, 0, false},
        {"version 2, fewer than none", "2.00", {"subfolders=-1"}, true, 0, false},
        {"version 1 knows no sub-folders", "1.00", {"subfolders=3"}, false, 0, false},
        {"version 2, not a number", "2.00", {"subfolders=all"}, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string content = folderFile(c.version, c.option);
        ServiceTable table;
        ASSERT_EQ(ReadConfigContent(content, table, [](const std::string&) {}), c.whole ? 0 : -1);
        if (!c.whole)
            continue;
        const rServiceRules& service = table.services.at(0);
        EXPECT_EQ(service.subfolders, c.levels);
        EXPECT_EQ(service.rulelist.rulecnt, 1);
        if (c.sameBack)
            EXPECT_EQ(FormatConfigFile(table), content);
        else if (c.levels == 0)
            EXPECT_EQ(FormatConfigFile(table), folderFile(c.version, {}));
        else
            EXPECT_EQ(FormatConfigFile(table),
                      folderFile(c.version, {"subfolders=" + std::to_string(c.levels)}));
    }
}

TEST(ConfigSubfolders, TurningThemOnMakesTheFileVersionTwo) {
    ServiceTable table;
    ASSERT_EQ(ReadConfigContent(folderFile("1.00", {}), table, [](const std::string&) {}), 0);
    table.services.at(0).subfolders = 5;
    EXPECT_EQ(FormatConfigFile(table), folderFile("2.00", {"subfolders=5"}));
    table.services.at(0).subfolders = 0;
    EXPECT_EQ(FormatConfigFile(table), folderFile("1.00", {}));
}

} // namespace
} // namespace lp
