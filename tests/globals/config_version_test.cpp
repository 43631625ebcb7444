// Version 1 and version 2 of the configuration file: a file that uses nothing new stays a
// version-1 file byte for byte, a version-2 file keeps every new key at its fixed place, and a
// destination never changes the folder it names when the file changes its version.

#include "globals/config_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace lp {
namespace {

std::string crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

// A file of one folder with one rule; body holds the rule's lines after "fsize=".
std::string fileWith(const std::string& version, const std::vector<std::string>& body) {
    std::vector<std::string> lines = {"[Main Info]",    "Version=" + version, "UseSMTP=0",
                                      "SMTP Server=",   "ReplyTo=",           "Service Count=1",
                                      "Custom Count=1", "[Service 1]",        "serviceid=5",
                                      "othernum=1",     "othername=Inbox",    "enabled=0",
                                      "sharedir=/in",   "excludefiles=",      "rulecnt=1",
                                      "[Rule 1]",       "rulename=Sort",      "enabled=0",
                                      "mcond=0",        "condcnt=1",          "fcnt=0",
                                      "fsize=0"};
    lines.insert(lines.end(), body.begin(), body.end());
    return crlf(lines);
}

int readInto(const std::string& content, ServiceTable& table) {
    return ReadConfigContent(content, table, [](const std::string&) {});
}

TEST(ConfigVersion, EachFileIsReadAtItsVersionAndWrittenBackByteForByte) {
    struct Case {
        const char* what;
        std::string version;
        std::vector<std::string> body;
        bool whole;
        std::function<void(const RuleRec&)> check;
        // Stores something new, which makes the next save a version-2 file, read back whole.
        std::function<void(RuleRec&)> thenStoreNew{};
    };
    const auto stopAfter = [](RuleRec& rule) { rule.stopAfter = true; };
    const auto firstMove = [](const RuleRec& rule) { return rule.actions.at(0); };
    const Case cases[] = {
        {"version 1, nothing new",
         "1.00",
         {"rcond=0", "ext=mp3", "actioncnt=1", "raction=0", "filepath=/music"},
         true,
         [](const RuleRec& rule) { EXPECT_FALSE(rule.conds[0].rcondFileExt.anyCase); }},
        {"version 1: a brace is a brace",
         "1.00",
         {"rcond=0", "ext=mp3", "actioncnt=1", "raction=0", "filepath=/music/{old}"},
         true,
         [&](const RuleRec& rule) {
             EXPECT_EQ(firstMove(rule).racmove.filepath, "/music/{old}");
             EXPECT_FALSE(firstMove(rule).unknownPlaceholder);
         }},
        {"version 1: an unknown kind is kept",
         "1.00",
         {"rcond=9", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) { EXPECT_EQ(rule.conds[0].rcond, 9); }},
        {"version 1: the name kind did not exist yet",
         "1.00",
         {"rcond=5", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) { EXPECT_TRUE(rule.conds[0].foreign); },
         stopAfter},
        {"version 1: the type and address kinds did not exist yet",
         "1.00",
         {"rcond=7", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) { EXPECT_TRUE(rule.conds[0].foreign); },
         stopAfter},
        {"version 2: a kind kept from a version-1 file",
         "2.00",
         {"rcond=8", "foreign=0", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) { EXPECT_TRUE(rule.conds[0].foreign); }},
        {"version 2, types",
         "2.00",
         {"rcond=7", "types=Images;application/pdf", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) {
             EXPECT_EQ(rule.conds[0].rcond, FileTypeMatching);
             EXPECT_EQ(rule.conds[0].types, "Images;application/pdf");
         },
         stopAfter},
        {"version 2, addresses",
         "2.00",
         {"rcond=8", "origins=*.example.org/*;*/invoices/*", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) {
             EXPECT_EQ(rule.conds[0].rcond, DownloadedFrom);
             EXPECT_EQ(rule.conds[0].origins, "*.example.org/*;*/invoices/*");
         }},
        {"version 2: a type condition without its types",
         "2.00",
         {"rcond=7", "actioncnt=1", "raction=2"},
         false,
         nullptr},
        {"version 2: an address condition with the names key",
         "2.00",
         {"rcond=8", "names=*", "actioncnt=1", "raction=2"},
         false,
         nullptr},
        {"version 1 has no option keys",
         "1.00",
         {"rcond=0", "ext=mp3", "extanycase=0", "actioncnt=1", "raction=2"},
         false,
         nullptr},
        {"version 2, names",
         "2.00",
         {"rcond=5", "names=scan_*;*invoice*", "actioncnt=1", "raction=2"},
         true,
         [](const RuleRec& rule) {
             EXPECT_EQ(rule.conds[0].rcond, FileNameMatching);
             EXPECT_EQ(rule.conds[0].names, "scan_*;*invoice*");
         }},
        {"version 2, every option",
         "2.00",
         {"anycond=0", "stopafter=0", "rcond=0", "ext=pdf", "extanycase=0", "actioncnt=1",
          "raction=2"},
         true,
         [](const RuleRec& rule) {
             EXPECT_TRUE(rule.anyCondition);
             EXPECT_TRUE(rule.stopAfter);
             EXPECT_TRUE(rule.conds[0].rcondFileExt.anyCase);
         }},
        {"version 2: a doubled brace is a brace",
         "2.00",
         {"rcond=6", "names=*.part", "actioncnt=1", "raction=1", "filepath=/music/{{old}"},
         true,
         [&](const RuleRec& rule) {
             EXPECT_EQ(firstMove(rule).raccopy.filepath, "/music/{old}");
             EXPECT_FALSE(firstMove(rule).unknownPlaceholder);
         }},
        {"version 2: a placeholder not known yet is kept as spelt",
         "2.00",
         {"rcond=0", "ext=jpg", "actioncnt=1", "raction=0", "filepath=/photos/{colour}"},
         true,
         [&](const RuleRec& rule) {
             EXPECT_EQ(firstMove(rule).racmove.filepath, "/photos/{colour}");
             EXPECT_TRUE(firstMove(rule).unknownPlaceholder);
         }},
        {"version 2: known placeholders are kept as spelt, a doubled brace too",
         "2.00",
         {"rcond=0", "ext=jpg", "actioncnt=1", "raction=0", "filepath=/{{a}/{year}-{{{month}"},
         true,
         [&](const RuleRec& rule) {
             EXPECT_EQ(firstMove(rule).racmove.filepath, "/{{a}/{year}-{{{month}");
             EXPECT_TRUE(firstMove(rule).templated);
             EXPECT_FALSE(firstMove(rule).unknownPlaceholder);
         }},
        {"version 2: a rename's template",
         "2.00",
         {"rcond=0", "ext=jpg", "actioncnt=1", "raction=5", "newname={year} {name}.{ext}"},
         true,
         [&](const RuleRec& rule) {
             EXPECT_EQ(firstMove(rule).racrename.newname, "{year} {name}.{ext}");
             EXPECT_FALSE(firstMove(rule).unknownPlaceholder);
         }},

        {"version 2: options out of their order",
         "2.00",
         {"stopafter=0", "anycond=0", "rcond=0", "ext=pdf", "actioncnt=1", "raction=2"},
         false,
         nullptr},
        {"version 2: a name condition without its names",
         "2.00",
         {"rcond=5", "actioncnt=1", "raction=2"},
         false,
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string content = fileWith(c.version, c.body);
        ServiceTable table;
        ASSERT_EQ(readInto(content, table), c.whole ? 0 : -1);
        if (!c.whole)
            continue;
        c.check(table.services.at(0).rulelist.rules.at(0));
        EXPECT_EQ(FormatConfigFile(table), content);
        if (!c.thenStoreNew)
            continue;
        RuleRec& rule = table.services.at(0).rulelist.rules.at(0);
        c.thenStoreNew(rule);
        const std::string saved = FormatConfigFile(table);
        ServiceTable again;
        ASSERT_EQ(readInto(saved, again), 0) << saved;
        EXPECT_EQ(again.services.at(0).rulelist.rules.at(0), rule);
        c.check(again.services.at(0).rulelist.rules.at(0));
    }
}

TEST(ConfigVersion, TheFirstSaveOfSomethingNewDoublesEveryBraceAndKeepsTheFolders) {
    const std::string before =
        fileWith("1.00", {"rcond=0", "ext=mp3", "actioncnt=2", "raction=0", "filepath=/a{b}/{{c",
                          "raction=1", "filepath=/plain"});
    ServiceTable table;
    ASSERT_EQ(readInto(before, table), 0);
    RuleRec& rule = table.services[0].rulelist.rules[0];
    rule.conds[0].rcondFileExt.anyCase = true;
    const std::string after = FormatConfigFile(table);
    EXPECT_EQ(after,
              fileWith("2.00", {"rcond=0", "ext=mp3", "extanycase=0", "actioncnt=2", "raction=0",
                                "filepath=/a{{b}/{{{{c", "raction=1", "filepath=/plain"}));
    ServiceTable again;
    ASSERT_EQ(readInto(after, again), 0);
    EXPECT_EQ(again.services[0].rulelist.rules[0].actions[0].racmove.filepath, "/a{b}/{{c");
    EXPECT_FALSE(again.services[0].rulelist.rules[0].actions[0].unknownPlaceholder);

    // Taking the new option out again leaves a version-2 file: its destinations stay doubled.
    again.services[0].rulelist.rules[0].conds[0].rcondFileExt.anyCase = false;
    EXPECT_TRUE(WritesVersionTwo(again));
    EXPECT_NE(FormatConfigFile(again).find("filepath=/a{{b}/{{{{c"), std::string::npos);
}

} // namespace
} // namespace lp
