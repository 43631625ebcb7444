// The reader on files that differ from what the writer produces: hand edits, old layouts,
// truncation and damage. Each case is a file and what must come of it.

#include "globals/config_file.h"
#include "globals/quoted_value.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace lp {
namespace {

using Lines = std::vector<std::string>;

const Lines kHead = {"[Main Info]", "Version=1.00", "UseSMTP=0", "SMTP Server=", "ReplyTo="};

Lines serviceLines(int number, const std::string& id = "5", const std::string& rulecnt = "0") {
    return {"[Service " + std::to_string(number) + "]",
            "serviceid=" + id,
            "othernum=" + std::to_string(number),
            "othername=S" + std::to_string(number),
            "enabled=0",
            "sharedir=/in" + std::to_string(number),
            "excludefiles=",
            "rulecnt=" + rulecnt};
}

Lines dateRuleLines(const std::string& rdaysLine, const std::string& afterRdays) {
    Lines lines = {"[Rule 1]", "rulename=r", "enabled=0", "mcond=0", "condcnt=1",
                   "fcnt=0",   "fsize=0",    "rcond=2",   rdaysLine};
    if (!afterRdays.empty())
        lines.push_back(afterRdays);
    lines.insert(lines.end(), {"actioncnt=1", "raction=2"});
    return lines;
}

Lines concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Lines counts(const std::string& services, const std::string& custom) {
    return {"Service Count=" + services, "Custom Count=" + custom};
}

// The one message of a file not read whole; the test puts in the file's path.
std::string notWhole(const std::string& what, int line) {
    return "The configuration file {path} was not read whole. " + what + " Line " +
           std::to_string(line) +
           ". The file is kept as it is and will be set aside at the first save.";
}

struct ReaderCase {
    const char* name;
    Lines lines;
    std::int32_t result = 0;
    Lines messages;
    bool setAside = false;
    std::function<void(const ServiceTable&)> check;
    const char* lineEnd = "\r\n";
};

std::vector<ReaderCase> readerCases() {
    std::vector<ReaderCase> cases;
    cases.push_back({"OnlyZeroIsTrue",
                     concat({kHead,
                             counts("2", "2"),
                             serviceLines(1),
                             {"[Service 2]", "serviceid=5", "othernum=2", "othername=x",
                              "enabled=true", "sharedir=", "excludefiles=", "rulecnt=0"}}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) {
                         EXPECT_TRUE(t.settings.UseSMTP);
                         EXPECT_TRUE(t.services[0].enabled);
                         EXPECT_FALSE(t.services[1].enabled);
                     }});
    cases.push_back({"EightBitFieldKeepsLowBits",
                     concat({kHead, counts("1", "1"), serviceLines(1, "261")}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) { EXPECT_EQ(t.services[0].serviceid, 5); }});
    cases.push_back({"LfOnlyFileReadsTheSameAndCrLfLeavesNoCarriageReturn",
                     concat({kHead, counts("1", "1"), serviceLines(1)}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) { EXPECT_EQ(t.services[0].sharedir, "/in1"); },
                     "\n"});
    // Files of "/in/" are named "/in/x", never "/in//x"; a root keeps its separator.
    cases.push_back({"AFolderLosesTheSeparatorsAtItsEnd",
                     concat({kHead,
                             counts("2", "2"),
                             {"[Service 1]", "serviceid=5", "othernum=1", "othername=a",
                              "enabled=0", "sharedir=/in//", "excludefiles=", "rulecnt=0",
                              "[Service 2]", "serviceid=5", "othernum=2", "othername=b",
                              "enabled=0", "sharedir=/", "excludefiles=", "rulecnt=0"}}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) {
                         EXPECT_EQ(t.services[0].sharedir, "/in");
                         EXPECT_EQ(t.services[1].sharedir, "/");
                     }});
    cases.push_back(
        {"SkipLineSkipsTheLinesItCounts",
         concat({kHead,
                 counts("1", "1"),
                 {"[Service 1]", "[skip-2]", "serviceid=99", "serviceid=5", "othernum=1",
                  "othername=a", "enabled=0", "sharedir=/s", "excludefiles=", "rulecnt=0"}}),
         0,
         {},
         false,
         [](const ServiceTable& t) {
             EXPECT_EQ(t.services[0].serviceid, 5);
             EXPECT_EQ(t.services[0].sharedir, "/s");
         }});
    cases.push_back({"ZeroSkipIsATagWhereAKeyBelongs",
                     concat({kHead,
                             counts("1", "1"),
                             {"[Service 1]", "serviceid=5", "othernum=1", "[x-0]", "enabled=0",
                              "sharedir=/s", "excludefiles=", "rulecnt=0"}}),
                     -1,
                     {notWhole("Expected othername=, found [x-0].", 11)},
                     true,
                     [](const ServiceTable& t) {
                         ASSERT_EQ(t.services.size(), 1u);
                         EXPECT_EQ(t.services[0].othernum, 1);
                         EXPECT_EQ(t.services[0].othername, "");
                         EXPECT_EQ(t.services[0].sharedir, "");
                     }});
    cases.push_back({"LinesBeforeATagAreSkipped",
                     concat({kHead,
                             counts("2", "2"),
                             {"junk", "[junk]"},
                             serviceLines(1),
                             {"more=junk"},
                             serviceLines(2)}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) { EXPECT_EQ(t.services[1].sharedir, "/in2"); }});
    cases.push_back(
        {"ExtraLineBetweenKeysStopsReadingThere",
         concat({kHead,
                 counts("1", "1"),
                 {"[Service 1]", "serviceid=5", "othernum=1", "inserted=x", "othername=a",
                  "enabled=0", "sharedir=/s", "excludefiles=", "rulecnt=0"}}),
         -1,
         {notWhole("Expected othername=, found inserted=x.", 11)},
         true,
         [](const ServiceTable& t) {
             EXPECT_EQ(t.services[0].othername, "");
             EXPECT_EQ(t.services[0].sharedir, "");
             EXPECT_EQ(t.services[0].rulelist.rulecnt, 0);
         }});
    cases.push_back({"LineWithoutEqualsIsAnotherKey",
                     concat({kHead,
                             counts("1", "1"),
                             {"[Service 1]", "serviceid=5", "othernum=1", "justakey", "enabled=0",
                              "sharedir=/s", "excludefiles=", "rulecnt=0"}}),
                     -1,
                     {notWhole("Expected othername=, found justakey.", 11)},
                     true,
                     [](const ServiceTable& t) { EXPECT_EQ(t.services[0].othername, ""); }});
    cases.push_back({"KeyWithoutEqualsIsAnEmptyText",
                     concat({kHead,
                             counts("1", "1"),
                             {"[Service 1]", "serviceid=5", "othernum=1", "othername", "enabled=0",
                              "sharedir=/s", "excludefiles=", "rulecnt=0"}}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) { EXPECT_EQ(t.services[0].sharedir, "/s"); }});
    cases.push_back(
        {"TextWithBracketOfItsOwnKeySurvives",
         concat({kHead,
                 counts("1", "1"),
                 {"[Service 1]", "serviceid=5", "othernum=1", "othername=a [b-4] c", "enabled=0",
                  "sharedir=D:\\Songs [old]", "excludefiles=", "rulecnt=0"}}),
         0,
         {},
         false,
         [](const ServiceTable& t) {
             EXPECT_EQ(t.services[0].othername, "a [b-4] c");
             EXPECT_EQ(t.services[0].sharedir, "D:\\Songs [old]");
         }});
    cases.push_back({"DateComparisonOfOldFilesIsLess",
                     concat({kHead, counts("1", "1"), serviceLines(1, "5", "1"),
                             dateRuleLines("rdays=30", "")}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) {
                         const RuleRec& r = t.services[0].rulelist.rules[0];
                         EXPECT_EQ(r.conds[0].rdays, 30);
                         EXPECT_EQ(r.conds[0].rdnum, cmpLess);
                         EXPECT_EQ(r.actioncnt, 1);
                         EXPECT_EQ(r.actions[0].raction, rDelete);
                     }});
    cases.push_back({"DateComparisonIsReadWhenPresent",
                     concat({kHead, counts("1", "1"), serviceLines(1, "5", "1"),
                             dateRuleLines("rdays=30", "rdnum=2")}),
                     0,
                     {},
                     false,
                     [](const ServiceTable& t) {
                         EXPECT_EQ(t.services[0].rulelist.rules[0].conds[0].rdnum, cmpGreater);
                     }});
    cases.push_back(
        {"WrongCustomCountAndNumbersAreRepaired",
         concat({kHead, counts("3", "7"), serviceLines(1), serviceLines(2, "0"), serviceLines(3)}),
         0,
         {},
         false,
         [](const ServiceTable& t) {
             EXPECT_EQ(t.customCount, 2);
             EXPECT_EQ(t.services[0].othernum, 1);
             EXPECT_EQ(t.services[1].othernum, 2); // built-in: left as read
             EXPECT_EQ(t.services[2].othernum, 2);
         }});
    cases.push_back(
        {"UnreadableVersionIsReportedAndReadingGoesOn",
         concat({{"[Main Info]", "Version=one", "UseSMTP=1", "SMTP Server=", "ReplyTo="},
                 counts("1", "1"),
                 serviceLines(1)}),
         0,
         {"Error retrieving version number."},
         false,
         [](const ServiceTable& t) {
             EXPECT_EQ(t.configVersion, 0.0);
             EXPECT_FALSE(t.settings.UseSMTP);
             EXPECT_EQ(t.services.size(), 1u);
         }});
    cases.push_back(
        {"OldVersionIsKept",
         concat({{"[Main Info]", "Version=0.9", "UseSMTP=0", "SMTP Server=", "ReplyTo="},
                 counts("0", "0")}),
         0,
         {},
         false,
         [](const ServiceTable& t) { EXPECT_DOUBLE_EQ(t.configVersion, 0.9); }});
    cases.push_back({"InvalidFirstLineReadsNothing",
                     concat({{"[Main]"}, {"Version=1.00"}}),
                     -1,
                     {notWhole("Error: Invalid alarm file.", 1)},
                     true,
                     [](const ServiceTable& t) {
                         EXPECT_EQ(t.configVersion, 0.0);
                         EXPECT_TRUE(t.services.empty());
                     }});
    cases.push_back({"WrongTagEndsReadingAndKeepsTheServicesBefore",
                     concat({kHead, counts("2", "2"), serviceLines(1), serviceLines(3)}),
                     -1,
                     {notWhole("Expected [Service 2], found [Service 3].", 16)},
                     true,
                     [](const ServiceTable& t) {
                         ASSERT_EQ(t.services.size(), 1u);
                         EXPECT_EQ(t.customCount, 1);
                     }});
    cases.push_back({"NotANumberEndsReadingInsideTheRecord",
                     concat({kHead,
                             counts("2", "2"),
                             serviceLines(1),
                             {"[Service 2]", "serviceid=5", "othernum=2", "othername=b",
                              "enabled=0", "sharedir=/b", "excludefiles=", "rulecnt=lots"}}),
                     -1,
                     {notWhole("Expected a whole number from -2147483648 to 2147483647 for "
                               "rulecnt=, found rulecnt=lots.",
                               23)},
                     true,
                     [](const ServiceTable& t) {
                         ASSERT_EQ(t.services.size(), 2u);
                         EXPECT_EQ(t.services[1].sharedir, "/b");
                         EXPECT_EQ(t.services[1].rulelist.rulecnt, 0);
                         EXPECT_EQ(t.customCount, 2);
                     }});
    cases.push_back({"NegativeCountEndsReading",
                     concat({kHead, counts("-1", "0")}),
                     -1,
                     {notWhole("Expected a count of 0 or more for Service Count=, found Service "
                               "Count=-1.",
                               6)},
                     true,
                     [](const ServiceTable& t) { EXPECT_TRUE(t.services.empty()); }});
    cases.push_back({"HugeCountIsCutWithoutAllocating",
                     concat({kHead, counts("2000000000", "1"), serviceLines(1, "5", "2000000000")}),
                     -1,
                     {notWhole("Error reading alarm file.  Tag, [Rule 1] not found.", 16)},
                     true,
                     [](const ServiceTable& t) {
                         ASSERT_EQ(t.services.size(), 1u);
                         EXPECT_EQ(t.services[0].rulelist.rulecnt, 0);
                     }});
    cases.push_back({"CountBeyondTheFileIsCutToTheRecordsThere",
                     concat({kHead, counts("3", "3"), serviceLines(1), serviceLines(2)}),
                     -1,
                     {notWhole("Error reading alarm file.  Tag, [Service 3] not found.", 24)},
                     true,
                     [](const ServiceTable& t) {
                         ASSERT_EQ(t.services.size(), 2u);
                         EXPECT_EQ(t.services[1].sharedir, "/in2");
                         EXPECT_EQ(t.customCount, 2);
                     }});
    cases.push_back({"TruncatedRuleKeepsNoActions",
                     concat({kHead,
                             counts("1", "1"),
                             serviceLines(1, "5", "1"),
                             {"[Rule 1]", "rulename=r", "enabled=0", "mcond=0", "condcnt=2",
                              "fcnt=0", "fsize=0", "rcond=1", "rnum=2", "size=10"}}),
                     -1,
                     {notWhole("Expected rcond=, found the end of the file.", 26)},
                     true,
                     [](const ServiceTable& t) {
                         const RuleRec& r = t.services[0].rulelist.rules.at(0);
                         EXPECT_EQ(r.rulename, "r");
                         EXPECT_EQ(r.condcnt, 1);
                         EXPECT_EQ(r.conds[0].size, 10);
                         EXPECT_EQ(r.actioncnt, 0);
                     }});
    // Counts that the file's many short lines seem to allow, but no record follows: nothing may
    // be made ahead of the records actually read.
    const Lines junk(20000, "x");
    cases.push_back({"ServiceCountIsNotTakenOnTrust",
                     concat({kHead, counts("2400", "0"), junk}),
                     -1,
                     {notWhole("Error reading alarm file.  Tag, [Service 1] not found.", 8)},
                     true,
                     [](const ServiceTable& t) {
                         EXPECT_TRUE(t.services.empty());
                         EXPECT_LE(t.services.capacity(), 1u);
                     }});
    cases.push_back({"ConditionCountIsNotTakenOnTrust",
                     concat({kHead,
                             counts("1", "1"),
                             serviceLines(1, "5", "1"),
                             {"[Rule 1]", "rulename=r", "enabled=0", "mcond=0", "condcnt=19000",
                              "fcnt=0", "fsize=0"},
                             junk}),
                     -1,
                     {notWhole("Expected rcond=, found x.", 23)},
                     true,
                     [](const ServiceTable& t) {
                         const RuleRec& r = t.services.at(0).rulelist.rules.at(0);
                         EXPECT_EQ(r.condcnt, 0);
                         EXPECT_LE(r.conds.capacity(), 1u);
                     }});
    cases.push_back({"ActionCountIsNotTakenOnTrust",
                     concat({kHead,
                             counts("1", "1"),
                             serviceLines(1, "5", "1"),
                             {"[Rule 1]", "rulename=r", "enabled=0", "mcond=0", "condcnt=0",
                              "fcnt=0", "fsize=0", "actioncnt=19000"},
                             junk}),
                     -1,
                     {notWhole("Expected raction=, found x.", 24)},
                     true,
                     [](const ServiceTable& t) {
                         const RuleRec& r = t.services.at(0).rulelist.rules.at(0);
                         EXPECT_EQ(r.actioncnt, 0);
                         EXPECT_LE(r.actions.capacity(), 1u);
                     }});
    cases.push_back({"HugeSkipEndsAtTheFileEnd",
                     concat({kHead,
                             counts("1", "1"),
                             {"[Service 1]", "[x-2000000000]", "1", "2", "3", "4", "5", "6"}}),
                     -1,
                     {notWhole("Expected serviceid=, found the end of the file.", 16)},
                     true,
                     [](const ServiceTable& t) { EXPECT_EQ(t.services.size(), 1u); }});
    return cases;
}

void PrintTo(const ReaderCase& c, std::ostream* out) {
    *out << c.name;
}

class ConfigReaderCase : public testing::TestWithParam<ReaderCase> {};

TEST_P(ConfigReaderCase, ReadsAsExpected) {
    const ReaderCase& c = GetParam();
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    std::string content;
    for (const std::string& line : c.lines)
        content += line + c.lineEnd;
    test::writeBytes(path, content);

    ServiceTable table;
    Lines messages;
    EXPECT_EQ(ReadConfigFile(path, table, [&](const std::string& m) { messages.push_back(m); }),
              c.result);
    Lines expected = c.messages;
    for (std::string& message : expected)
        if (const auto at = message.find("{path}"); at != std::string::npos)
            message.replace(at, 6, QuoteValue(path));
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(table.setAsideBeforeSave, c.setAside);
    for (const rServiceRules& s : table.services) {
        EXPECT_EQ(s.sharedir.find('\r'), std::string::npos);
        EXPECT_LE(s.rulelist.rulecnt, static_cast<std::int32_t>(s.rulelist.rules.size()));
        for (const RuleRec& r : s.rulelist.rules) {
            EXPECT_LE(r.condcnt, static_cast<std::int32_t>(r.conds.size()));
            EXPECT_LE(r.actioncnt, static_cast<std::int32_t>(r.actions.size()));
        }
    }
    if (c.check)
        c.check(table);
}

INSTANTIATE_TEST_SUITE_P(Files, ConfigReaderCase, testing::ValuesIn(readerCases()),
                         [](const testing::TestParamInfo<ReaderCase>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
} // namespace lp
