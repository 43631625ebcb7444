#include "ruledef/rule_description.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lp {
namespace {

ruleacondrec cond(std::uint8_t kind, std::int32_t value = -1, std::uint8_t comparison = 0) {
    ruleacondrec c;
    c.rcond = kind;
    c.rnum = c.rdnum = comparison;
    c.size = c.rdays = c.newfilecnt = c.oldfilecnt = value;
    return c;
}

ruleacondrec names(std::uint8_t kind, const std::string& patterns) {
    ruleacondrec c;
    c.rcond = kind;
    c.names = patterns;
    return c;
}

ruleacondrec types(const std::string& list) {
    ruleacondrec c;
    c.rcond = FileTypeMatching;
    c.types = list;
    return c;
}

ruleacondrec origins(const std::string& patterns) {
    ruleacondrec c;
    c.rcond = DownloadedFrom;
    c.origins = patterns;
    return c;
}

ruleacondrec ext(const std::string& list) {
    ruleacondrec c;
    c.rcond = FileExt;
    c.rcondFileExt.ext = list;
    return c;
}

RuleRec rule(std::uint8_t trigger, std::vector<ruleacondrec> conds,
             std::vector<ruleactionrec> actions) {
    RuleRec r;
    r.mcond = trigger;
    r.fcnt = 20;
    r.fsize = 10;
    r.condcnt = static_cast<std::int32_t>(conds.size());
    r.conds = std::move(conds);
    r.actioncnt = static_cast<std::int32_t>(actions.size());
    r.actions = std::move(actions);
    return r;
}

using Lines = std::vector<std::string>;

TEST(BuildDescriptionLines, TriggerLines) {
    const struct {
        std::uint8_t trigger;
        std::string line;
    } cases[] = {
        {NewFile, "Whenever a new completed file exists"},
        {AnyFile, "Whenever a completed file exists"},
        {FileCount, "Whenever the total completed file count exceeds <a href=\"FileCount\">20</a>"},
        {TotalFileSize,
         "Whenever the total completed file size exceeds <a href=\"TotalFileSize\">10</a> MB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildDescriptionLines(rule(c.trigger, {}, {})), Lines{c.line}) << int(c.trigger);
}

TEST(BuildDescriptionLines, EveryConditionFormAsFirstAndLater) {
    const struct {
        ruleacondrec cond;
        std::string text;
    } cases[] = {
        {ext(""), "file extension is <a href=\"FileExt\">specified</a> extension"},
        {ext("mp3;mp2"), "file extension is <a href=\"FileExt\">mp3;mp2</a>"},
        {cond(FileSize), "file size is <a href=\"FileSize\">specified</a>"},
        {cond(FileSize, 100, cmpGreater),
         "file size is <a href=\"FileSize\">greater than 100 KB</a>"},
        {cond(FileSize, 0, cmpLess), "file size is <a href=\"FileSize\">less than 0 KB</a>"},
        {cond(FileSize, 7, cmpNone), "file size is <a href=\"FileSize\">less than 7 KB</a>"},
        {cond(FileDate), "file date is <a href=\"FileDate\">specified</a>"},
        {cond(FileDate, 365, cmpGreater),
         "file date is <a href=\"FileDate\">greater than 365 days old.</a>"},
        {cond(FileDate, 3, cmpLess), "file date is <a href=\"FileDate\">less than 3 days old.</a>"},
        {cond(FileDateNew),
         "file date is the newest <a href=\"FileDateNew\">specified</a> of all files"},
        {cond(FileDateNew, 0),
         "file date is the newest <a href=\"FileDateNew\">0</a> of all files"},
        {cond(FileDateOld),
         "file date is the oldest <a href=\"FileDateOld\">specified</a> of all files"},
        {cond(FileDateOld, 5),
         "file date is the oldest <a href=\"FileDateOld\">5</a> of all files"},
        {names(FileNameMatching, ""),
         "file name matches <a href=\"FileName\">specified</a> patterns"},
        {names(FileNameMatching, "scan_*;*invoice*"),
         "file name matches <a href=\"FileName\">scan_*;*invoice*</a>"},
        {names(FileNameNotMatching, "*.part"),
         "file name does not match <a href=\"FileNameNot\">*.part</a>"},
        {types(""), "file type is <a href=\"FileType\">specified</a> types"},
        {types("Images;application/pdf"),
         "file type is <a href=\"FileType\">Images;application/pdf</a>"},
        {origins(""), "file was downloaded from <a href=\"FileOrigin\">specified</a> addresses"},
        {origins("*.example.org/*"),
         "file was downloaded from <a href=\"FileOrigin\">*.example.org/*</a>"},
    };
    for (const auto& c : cases) {
        // Alone, the condition is the first one; after an extension condition it is a later one.
        EXPECT_EQ(BuildDescriptionLines(rule(FileCount, {c.cond}, {}))[1], "    Where " + c.text);
        EXPECT_EQ(BuildDescriptionLines(rule(FileCount, {ext("a"), c.cond}, {}))[2],
                  "      and " + c.text);
    }
}

TEST(BuildDescriptionLines, TheNewOptionsShowOnlyWhenOn) {
    ruleacondrec anyCase = ext("pdf");
    anyCase.rcondFileExt.anyCase = true;
    RuleRec options =
        rule(NewFile, {anyCase, names(FileNameMatching, "scan_*")}, {test::ActionOn(rDelete)});
    const Lines plain = {
        "Whenever a new completed file exists",
        "    Where file extension is <a href=\"FileExt\">pdf</a> in any letter case",
        "      and file name matches <a href=\"FileName\">scan_*</a>",
        "    <a href=\"rDelete\">Delete file</a>"};
    EXPECT_EQ(BuildDescriptionLines(options), plain);
    options.anyCondition = true;
    options.stopAfter = true;
    Lines both = plain;
    both[2] = "       or file name matches <a href=\"FileName\">scan_*</a>";
    both.push_back("    and leave the file to no later rule");
    EXPECT_EQ(BuildDescriptionLines(options), both);
}

TEST(BuildDescriptionLines, EveryActionFormWithAndWithoutPluralMark) {
    const struct {
        ruleactionrec action;
        std::string newFileText; // with the NewFile trigger
        std::string otherText;   // with every other trigger
    } cases[] = {
        {test::ActionOn(rMove), "Move file to <a href=\"rMove\">specified</a> directory",
         "Move file(s) to <a href=\"rMove\">specified</a> directory"},
        {test::ActionOn(rMove, "/srv/music"),
         "Move file to <a href=\"rMove\">/srv/music</a> directory",
         "Move file(s) to <a href=\"rMove\">/srv/music</a> directory"},
        {test::ActionOn(rCopy), "Copy file to <a href=\"rCopy\">specified</a> directory",
         "Copy file(s) to <a href=\"rCopy\">specified</a> directory"},
        {test::ActionOn(rCopy, "/b"), "Copy file to <a href=\"rCopy\">/b</a> directory",
         "Copy file(s) to <a href=\"rCopy\">/b</a> directory"},
        {test::ActionOn(rDelete), "<a href=\"rDelete\">Delete file</a>",
         "<a href=\"rDelete\">Delete file</a>(s)"},
        {test::ActionOn(rLaunch), "Launch <a href=\"rLaunch\">specified</a> program",
         "Launch <a href=\"rLaunch\">specified</a> program"},
        {test::ActionOn(rLaunch, "/usr/bin/player"),
         "Launch <a href=\"rLaunch\">/usr/bin/player</a>",
         "Launch <a href=\"rLaunch\">/usr/bin/player</a>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildDescriptionLines(rule(NewFile, {}, {c.action})).at(1),
                  "    " + c.newFileText);
        for (std::uint8_t trigger : {AnyFile, FileCount, TotalFileSize}) {
            EXPECT_EQ(BuildDescriptionLines(rule(trigger, {}, {c.action})).at(1),
                      "    " + c.otherText);
            EXPECT_EQ(
                BuildDescriptionLines(rule(trigger, {}, {test::ActionOn(rDelete), c.action})).at(2),
                "      and " + c.otherText);
        }
    }
}

ruleactionrec renameTo(const std::string& newName) {
    ruleactionrec action;
    action.raction = rRename;
    action.racrename.newname = newName;
    return action;
}

TEST(BuildDescriptionLines, FtpTakesAPositionButShowsNoLine) {
    const struct {
        std::vector<ruleactionrec> actions;
        Lines actionLines;
    } cases[] = {
        {{test::ActionOn(rFTP)}, {}},
        {{test::ActionOn(rMove, "/m"), test::ActionOn(rFTP), test::ActionOn(rLaunch, "/p")},
         {"    Move file to <a href=\"rMove\">/m</a> directory",
          "      and Launch <a href=\"rLaunch\">/p</a>"}},
        {{test::ActionOn(rFTP), test::ActionOn(rDelete)},
         {"      and <a href=\"rDelete\">Delete file</a>"}},
        {{renameTo("{year} {name}.{ext}")},
         {"    Rename file to <a href=\"rRename\">{year} {name}.{ext}</a>"}},
    };
    for (const auto& c : cases) {
        Lines expected{"Whenever a new completed file exists"};
        expected.insert(expected.end(), c.actionLines.begin(), c.actionLines.end());
        EXPECT_EQ(BuildDescriptionLines(rule(NewFile, {}, c.actions)), expected);
    }
}

TEST(BuildDescriptionLines, WholeRuleInOrder) {
    RuleRec r = rule(FileCount, {ext("mp3;mp2"), cond(FileSize, 100, cmpGreater)},
                     {test::ActionOn(rMove, "/music"), test::ActionOn(rDelete)});
    EXPECT_EQ(BuildDescriptionLines(r),
              (Lines{"Whenever the total completed file count exceeds <a href=\"FileCount\">20</a>",
                     "    Where file extension is <a href=\"FileExt\">mp3;mp2</a>",
                     "      and file size is <a href=\"FileSize\">greater than 100 KB</a>",
                     "    Move file(s) to <a href=\"rMove\">/music</a> directory",
                     "      and <a href=\"rDelete\">Delete file</a>(s)"}));
}

TEST(BuildDescriptionLines, CountsRuleOverArrayLengths) {
    // Entries beyond the counts are left-overs of removals and are not shown; a count larger than
    // its array must not read past it.
    RuleRec r =
        rule(NewFile, {ext("a"), ext("b")}, {test::ActionOn(rDelete), test::ActionOn(rMove)});
    r.condcnt = 1;
    r.actioncnt = 1;
    EXPECT_EQ(BuildDescriptionLines(r).size(), 3u);
    r.condcnt = 9;
    r.actioncnt = -3;
    EXPECT_EQ(BuildDescriptionLines(r).size(), 3u);
}

} // namespace
} // namespace lp
