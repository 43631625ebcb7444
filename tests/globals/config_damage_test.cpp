// Damaged files as they happen: counts one off, a repeated tag, a wrong key, a cut, a number out
// of range, a file over the size limit. None of them may be taken as read whole: each is said
// once, is not rewritten at start-up although its layout is old, and the first save keeps it
// byte for byte under a ".bad" name.

#include "globals/config_file.h"
#include "globals/config_lines.h"
#include "globals/quoted_value.h"
#include "globals/startup.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace lp {
namespace {

using Lines = std::vector<std::string>;

// An old layout (version 0.9), so that start-up would rewrite it if it were read whole.
const Lines kGoodFile = {
    "[Main Info]",
    "Version=0.9",
    "UseSMTP=0",
    "SMTP Server=",
    "ReplyTo=",
    "Service Count=3",
    "Custom Count=3",
    "[Service 1]",
    "serviceid=5",
    "othernum=1",
    "othername=Music", // 8
    "enabled=0",
    "sharedir=/in/music",
    "excludefiles=*.part",
    "rulecnt=1",
    "[Rule 1]",
    "rulename=Play and drop",
    "enabled=0",
    "mcond=0", // 16
    "condcnt=2",
    "fcnt=0",
    "fsize=0",
    "rcond=0", // 20
    "ext=mp3",
    "rcond=1",
    "rnum=2",
    "size=10", // 24
    "actioncnt=2",
    "raction=4",
    "fprogram=/usr/bin/player", // 28
    "fparams=mfile",
    "raction=2", // 31
    "[Service 2]",
    "serviceid=5",
    "othernum=2",
    "othername=Papers", // 33
    "enabled=0",
    "sharedir=/in/papers",
    "excludefiles=",
    "rulecnt=2", // 37
    "[Rule 1]",
    "rulename=Keep ten",
    "enabled=0",
    "mcond=2", // 41
    "condcnt=0",
    "fcnt=10",
    "fsize=0",
    "actioncnt=1", // 45
    "raction=2",   // 49
    "[Rule 2]",
    "rulename=File",
    "enabled=0",
    "mcond=1", // 50
    "condcnt=0",
    "fcnt=0",
    "fsize=0",
    "actioncnt=1", // 54
    "raction=0",
    "filepath=/out/papers", // 58
    "[Service 3]",
    "serviceid=5",
    "othernum=3",
    "othername=Empty", // 60
    "enabled=1",
    "sharedir=/in/empty",
    "excludefiles=",
    "rulecnt=0", // 64
};

std::string crlf(const Lines& lines) {
    std::string out;
    for (const std::string& line : lines)
        out += line + "\r\n";
    return out;
}

// Line numbers count from 1, as the messages do.
Lines replaced(int line, const std::string& text) {
    Lines lines = kGoodFile;
    lines.at(static_cast<std::size_t>(line - 1)) = text;
    return lines;
}
Lines inserted(int before, const std::string& text) {
    Lines lines = kGoodFile;
    lines.insert(lines.begin() + before - 1, text);
    return lines;
}
Lines firstLines(int count) {
    return Lines(kGoodFile.begin(), kGoodFile.begin() + count);
}

struct DamageCase {
    const char* name;
    std::string content;
    std::int64_t line; // where reading stops; 0: the line after the last one within the limit
    std::string what;
    std::function<void(const ServiceTable&)> check;
};

std::vector<DamageCase> damageCases() {
    std::vector<DamageCase> cases;
    cases.push_back({"ServiceCountOneTooLow", crlf(replaced(6, "Service Count=2")), 60,
                     "Found [Service 3] after the last record that the counts hold.",
                     [](const ServiceTable& t) { EXPECT_EQ(t.services.size(), 2u); }});
    cases.push_back({"ConditionCountOneTooLow", crlf(replaced(20, "condcnt=1")), 25,
                     "Expected actioncnt=, found rcond=1.", [](const ServiceTable& t) {
                         const RuleRec& rule = t.services.at(0).rulelist.rules.at(0);
                         EXPECT_EQ(rule.condcnt, 1);
                         EXPECT_EQ(rule.actioncnt, 0); // never acts on half its conditions
                         EXPECT_EQ(t.services.size(), 1u);
                     }});
    cases.push_back({"RepeatedServiceTag", crlf(inserted(61, "[Service 3]")), 61,
                     "Expected serviceid=, found [Service 3].", [](const ServiceTable& t) {
                         ASSERT_EQ(t.services.size(), 3u);
                         EXPECT_EQ(
                             t.services[1].rulelist.rules.at(1).actions.at(0).racmove.filepath,
                             "/out/papers");
                     }});
    cases.push_back({"RuleCountOneTooLow",
                     crlf(replaced(40, "rulecnt=1")),
                     50,
                     "Expected [Service 3], found [Rule 2].",
                     {}});
    cases.push_back({"ActionCountOneTooLow",
                     crlf(replaced(28, "actioncnt=1")),
                     32,
                     "Expected [Service 2], found raction=2.",
                     {}});
    cases.push_back({"KeyThatIsNotTheExpectedOne",
                     crlf(replaced(37, "enable=0")),
                     37,
                     "Expected enabled=, found enable=0.",
                     {}});
    cases.push_back({"CutInsideTheLastAction", crlf(firstLines(58)), 59,
                     "Expected filepath=, found the end of the file.", [](const ServiceTable& t) {
                         const RuleRec& rule = t.services.at(1).rulelist.rules.at(1);
                         EXPECT_EQ(rule.actioncnt, 0); // a move without its folder is not kept
                         EXPECT_EQ(t.services[1].rulelist.rules[0].actioncnt, 1);
                     }});
    // Cut inside the last value: what is left of the folder must not become a destination.
    std::string cutValue = crlf(firstLines(59));
    cutValue.resize(cutValue.size() - 5);
    cases.push_back({"CutInsideTheLastValue", cutValue, 59,
                     "The last line, filepath=/out/pap, has no line end: the file may be cut "
                     "short.",
                     [](const ServiceTable& t) {
                         EXPECT_EQ(t.services.at(1).rulelist.rules.at(1).actioncnt, 0);
                     }});
    cases.push_back({"NumberOutOfRange", crlf(replaced(46, "fcnt=4294967297")), 46,
                     "Expected a whole number from -2147483648 to 2147483647 for fcnt=, found "
                     "fcnt=4294967297.",
                     [](const ServiceTable& t) {
                         EXPECT_EQ(t.services.size(), 2u);
                         EXPECT_EQ(t.services[1].rulelist.rulecnt, 1);
                         EXPECT_EQ(t.services[1].rulelist.rules[0].actioncnt, 0);
                     }});
    cases.push_back({"LayoutLineAfterTheLastRecord",
                     crlf(kGoodFile) + "raction=2\r\n",
                     68,
                     "Found raction=2 after the last record that the counts hold.",
                     {}});
    // The whole layout lies within the limit, followed by lines that are only stray.
    std::string oversized = crlf(kGoodFile);
    while (oversized.size() <= config::kMaxConfigBytes)
        oversized += "stray line\r\n";
    cases.push_back({"LargerThanTheLimitAlthoughTheLayoutEndsBefore", oversized, 0,
                     "The file is larger than 4 MiB; it was read up to that size.",
                     [](const ServiceTable& t) { EXPECT_EQ(t.services.size(), 3u); }});
    return cases;
}

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.name;
}

class DamagedFile : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFile, IsSaidKeptAtStartAndSetAsideAtTheFirstSave) {
    const DamageCase& c = GetParam();
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    test::writeBytes(path, c.content);
    std::int64_t line = c.line;
    if (line == 0) {
        const std::string kept =
            c.content.substr(0, c.content.rfind('\n', config::kMaxConfigBytes - 1) + 1);
        line = std::count(kept.begin(), kept.end(), '\n') + 1;
    }

    CommandLine options;
    options.configPath = path;
    AppGlobals globals;
    std::vector<std::string> messages;
    const ConfigStartResult start =
        StartConfiguration(globals, options, [&](const std::string& m) { messages.push_back(m); });
    EXPECT_FALSE(start.refusal);
    EXPECT_FALSE(start.rewritten);
    EXPECT_EQ(messages, std::vector<std::string>{"The configuration file " + QuoteValue(path) +
                                                 " was not read whole. " + c.what + " Line " +
                                                 std::to_string(line) +
                                                 ". The file is kept as it is and will be set "
                                                 "aside at the first save."});
    EXPECT_TRUE(globals.table.setAsideBeforeSave);
    EXPECT_EQ(test::readBytes(path), c.content);
    if (c.check)
        c.check(globals.table);

    ASSERT_EQ(WriteConfigFile(path, globals.table), 0);
    EXPECT_EQ(test::readBytes(path + ".bad"), c.content);
    ServiceTable saved;
    EXPECT_EQ(ReadConfigFile(path, saved, [](const std::string&) {}), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFile, testing::ValuesIn(damageCases()),
                         [](const testing::TestParamInfo<DamageCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(DamagedFile, TheUndamagedFileIsReadWholeAndRewritten) {
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    test::writeBytes(path, crlf(kGoodFile));
    CommandLine options;
    options.configPath = path;
    AppGlobals globals;
    std::vector<std::string> messages;
    const ConfigStartResult start =
        StartConfiguration(globals, options, [&](const std::string& m) { messages.push_back(m); });
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(start.rewritten);
    EXPECT_EQ(start.rewriteResult, 0);
    ASSERT_EQ(globals.table.services.size(), 3u);
    EXPECT_EQ(globals.table.services[0].rulelist.rules[0].actioncnt, 2);
    EXPECT_EQ(globals.table.services[1].rulelist.rules[1].actions[0].racmove.filepath,
              "/out/papers");
}

} // namespace
} // namespace lp
