// Writing and reading whole configuration files: the exact bytes, the round trip, and that a save
// never destroys what is on disk.

#include "globals/config_file.h"
#include "globals/quoted_value.h"
#include "globals/temp_folder.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <vector>

namespace lp {
namespace {

using test::readBytes;
using test::TempFolder;
using test::writeBytes;

std::string crlf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

const std::vector<std::string> kExampleLines = {
    "[Main Info]",
    "Version=1.00",
    "UseSMTP=0",
    "SMTP Server=",
    "ReplyTo=",
    "Service Count=1",
    "Custom Count=1",
    "[Service 1]",
    "serviceid=5",
    "othernum=1",
    "othername=Music",
    "enabled=0",
    "sharedir=C:\\Incoming",
    "excludefiles=*.tmp;~*",
    "rulecnt=1",
    "[Rule 1]",
    "rulename=Sort mp3",
    "enabled=0",
    "mcond=0",
    "condcnt=1",
    "fcnt=0",
    "fsize=0",
    "rcond=0",
    "ext=mp3",
    "actioncnt=1",
    "raction=0",
    "filepath=C:\\Music",
};

ServiceTable exampleTable() {
    ServiceTable table;
    table.customCount = 1;
    rServiceRules& service = table.services.emplace_back();
    service.serviceid = kOtherService;
    service.othernum = 1;
    service.othername = "Music";
    service.enabled = true;
    service.sharedir = "C:\\Incoming";
    service.excludefiles = "*.tmp;~*";
    service.rulelist.rulecnt = 1;
    RuleRec& rule = service.rulelist.rules.emplace_back();
    rule.rulename = "Sort mp3";
    rule.enabled = true;
    rule.condcnt = 1;
    rule.conds.push_back({.rcond = FileExt, .rcondFileExt = {"mp3"}});
    rule.actioncnt = 1;
    rule.actions.push_back(test::MoveTo("C:\\Music"));
    return table;
}

ruleacondrec condition(std::uint8_t kind) {
    ruleacondrec c;
    c.rcond = kind;
    return c;
}

RuleRec rule(std::string name, std::vector<ruleacondrec> conds,
             std::vector<ruleactionrec> actions) {
    RuleRec r;
    r.rulename = std::move(name);
    r.condcnt = static_cast<std::int32_t>(conds.size());
    r.conds = std::move(conds);
    r.actioncnt = static_cast<std::int32_t>(actions.size());
    r.actions = std::move(actions);
    return r;
}

rServiceRules service(std::uint8_t id, std::int32_t othernum, std::vector<RuleRec> rules) {
    rServiceRules s;
    s.serviceid = id;
    s.othernum = othernum;
    s.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
    s.rulelist.rules = std::move(rules);
    return s;
}

// Every condition and action kind, unknown kinds included, texts holding "[" and "=", a built-in
// service between user-defined ones, and the third service's second rule ending in a launch.
ServiceTable everyKindTable() {
    ServiceTable table;
    table.settings = {
        .UseSMTP = false, .SMTPServer = "smtp.example.org", .ReplyTo = "me@example.org"};
    table.customCount = 2;

    ruleactionrec move = test::MakeAction(rMove);
    move.racmove.filepath = "D:\\Songs [old-3]";
    ruleactionrec copy = test::MakeAction(rCopy);
    copy.raccopy.filepath = "/srv/copy=here";
    ruleactionrec ftp = test::MakeAction(rFTP);
    ftp.racftp = {.ftpserver = "ftp.example.org",
                  .ftppath = "/in",
                  .ftpport = 2121,
                  .ftpuser = "anon",
                  .ftppass = "secret",
                  .ftpascmode = true,
                  .ftppassive = false};
    ruleactionrec ftp2 = test::MakeAction(rFTP);
    ftp2.racftp = {.ftpserver = "h",
                   .ftppath = "",
                   .ftpport = -1,
                   .ftpuser = "",
                   .ftppass = "",
                   .ftpascmode = false,
                   .ftppassive = true};
    ruleactionrec launch = test::MakeAction(rLaunch);
    launch.raclaunch = {.fprogram = "/usr/bin/player", .fparams = "--enqueue mfile"};

    ruleacondrec ext = condition(FileExt);
    ext.rcondFileExt.ext = "mp3;ogg";
    ruleacondrec size = condition(FileSize);
    size.rnum = cmpGreater;
    size.size = 4096;
    ruleacondrec older = condition(FileDate);
    older.rdnum = cmpGreater;
    older.rdays = 30;
    ruleacondrec newest = condition(FileDateNew);
    newest.newfilecnt = 5;
    ruleacondrec oldest = condition(FileDateOld);
    oldest.oldfilecnt = 7;
    ruleacondrec unknown = condition(9);

    rServiceRules first = service(kOtherService, 1, {rule("one", {ext, size}, {move, copy})});
    first.othername = "Music";
    first.enabled = true;
    first.sharedir = "D:\\Songs [old]";
    first.excludefiles = "*.tmp;~*";
    first.rulelist.rules[0].enabled = true;
    first.rulelist.rules[0].mcond = FileCount;
    first.rulelist.rules[0].fcnt = 20;

    rServiceRules builtIn = service(
        kLimeWire, 0, {rule("two", {older, newest, oldest}, {ftp, test::MakeAction(rDelete)})});
    builtIn.sharedir = "C:\\Shared";
    builtIn.rulelist.rules[0].mcond = TotalFileSize;
    builtIn.rulelist.rules[0].fsize = 10;

    RuleRec third = rule("three", {unknown}, {test::MakeAction(7), ftp2});
    third.mcond = AnyFile;
    RuleRec fourth = rule("four [b-1]", {ext}, {copy, launch});
    fourth.enabled = true;
    rServiceRules last = service(kOtherService, 2, {third, fourth});
    last.othername = "Downloads";

    table.services = {first, builtIn, last};
    return table;
}

TEST(ConfigFile, WritesTheExampleFileByteForByte) {
    TempFolder folder;
    ServiceTable table = exampleTable();
    const std::string path = folder.file("bxconf.ini");
    ASSERT_EQ(WriteConfigFile(path, table), 0);
    EXPECT_EQ(readBytes(path), crlf(kExampleLines));
}

TEST(ConfigFile, ReadsTheExampleFileIntoTheTable) {
    TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    writeBytes(path, crlf(kExampleLines));
    ServiceTable table;
    std::vector<std::string> messages;
    ASSERT_EQ(ReadConfigFile(path, table, [&](const std::string& m) { messages.push_back(m); }), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_DOUBLE_EQ(table.configVersion, 1.0);
    EXPECT_FALSE(table.setAsideBeforeSave);
    ServiceTable expected = exampleTable();
    EXPECT_EQ(table.settings, expected.settings);
    EXPECT_EQ(table.customCount, 1);
    EXPECT_EQ(table.services, expected.services);
}

TEST(ConfigFile, EmptyTableIsSevenLinesAndReadsBackEmpty) {
    TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    ServiceTable empty;
    ASSERT_EQ(WriteConfigFile(path, empty), 0);
    EXPECT_EQ(readBytes(path), crlf({"[Main Info]", "Version=1.00", "UseSMTP=0", "SMTP Server=",
                                     "ReplyTo=", "Service Count=0", "Custom Count=0"}));
    ServiceTable table;
    EXPECT_EQ(ReadConfigFile(path, table, [](const std::string&) {}), 0);
    EXPECT_TRUE(table.services.empty());
    EXPECT_EQ(table.customCount, 0);
}

TEST(ConfigFile, WriteReadWriteKeepsEveryKindOfConditionAndAction) {
    TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    ServiceTable original = everyKindTable();
    ASSERT_EQ(WriteConfigFile(path, original), 0);
    const std::string firstImage = readBytes(path);

    ServiceTable table;
    std::vector<std::string> messages;
    ASSERT_EQ(ReadConfigFile(path, table, [&](const std::string& m) { messages.push_back(m); }), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(table.settings, original.settings);
    EXPECT_EQ(table.customCount, original.customCount);
    ASSERT_EQ(table.services.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(table.services[i], original.services[i]) << "service " << i + 1;
    const raclaunchrec& launch = table.services[2].rulelist.rules[1].actions[1].raclaunch;
    EXPECT_EQ(launch.fprogram, "/usr/bin/player");
    EXPECT_EQ(launch.fparams, "--enqueue mfile");

    ASSERT_EQ(WriteConfigFile(path, table), 0);
    EXPECT_EQ(readBytes(path), firstImage);
}

TEST(ConfigFile, WriterNeverSplitsARecordNorReadsPastAnArray) {
    ServiceTable table = exampleTable();
    table.services[0].othername = "two\r\nlines\n";
    table.services[0].rulelist.rules[0].actioncnt = 5; // more than the one action held
    table.services[0].rulelist.rules[0].condcnt = -3;
    const std::string image = FormatConfigFile(table);
    EXPECT_NE(image.find("othername=two  lines \r\n"), std::string::npos);
    EXPECT_NE(image.find("condcnt=0\r\nfcnt=0\r\nfsize=0\r\nactioncnt=1\r\nraction=0\r\n"),
              std::string::npos);
}

TEST(ConfigFile, SaveReplacesTheOldFile) {
    TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    writeBytes(path, "old content");
    ServiceTable table = exampleTable();
    ASSERT_EQ(WriteConfigFile(path, table), 0);
    EXPECT_EQ(readBytes(path), crlf(kExampleLines));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(ConfigFile, FailedSaveReturnsMinusTwoAndLeavesNothingBehind) {
    TempFolder folder;
    ServiceTable table = exampleTable();
    std::error_code why;
    EXPECT_EQ(WriteConfigFile(folder.file("missing/bxconf.ini"), table, why), -2);
    EXPECT_TRUE(why) << "the failure says why";
    // A folder in the file's place cannot be replaced by a file: the rename fails late, after the
    // temporary file was written.
    std::filesystem::create_directory(folder.file("bxconf.ini"));
    why.clear();
    EXPECT_EQ(WriteConfigFile(folder.file("bxconf.ini"), table, why), -2);
    EXPECT_TRUE(why) << "the failure says why";
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("bxconf.ini")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(ConfigFile, FileNotReadWholeIsKeptUnderANewBadNameAtTheFirstSave) {
    TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    writeBytes(path + ".bad", "an older one");
    writeBytes(path, "not a configuration file\r\n");
    ServiceTable table;
    std::vector<std::string> messages;
    EXPECT_EQ(ReadConfigFile(path, table, [&](const std::string& m) { messages.push_back(m); }),
              -1);
    EXPECT_EQ(messages, std::vector<std::string>{
                            "The configuration file " + QuoteValue(path) +
                            " was not read whole. Error: Invalid alarm file. Line 1. The file is "
                            "kept as it is and will be set aside at the first save."});
    EXPECT_TRUE(table.setAsideBeforeSave);

    table = exampleTable();
    table.setAsideBeforeSave = true;
    ASSERT_EQ(WriteConfigFile(path, table), 0);
    EXPECT_FALSE(table.setAsideBeforeSave);
    EXPECT_EQ(readBytes(path + ".bad"), "an older one");
    EXPECT_EQ(readBytes(path + ".bad1"), "not a configuration file\r\n");
    EXPECT_EQ(readBytes(path), crlf(kExampleLines));

    // Later saves of the run replace the file in place.
    ASSERT_EQ(WriteConfigFile(path, table), 0);
    EXPECT_FALSE(std::filesystem::exists(path + ".bad2"));
}

// The new content is written before the damaged file is set aside: a save that fails leaves
// the damaged file in place, still to be set aside by the next save.
TEST(ConfigFile, AFailedSaveAfterADamagedReadLeavesTheFileInPlace) {
    TempFolder folder;
    const std::string path = folder.file(std::string(250, 'c')); // no room for the temporary name
    writeBytes(path, "damaged\r\n");
    ServiceTable table = exampleTable();
    table.setAsideBeforeSave = true;
    EXPECT_EQ(WriteConfigFile(path, table), -2);
    EXPECT_EQ(readBytes(path), "damaged\r\n");
    EXPECT_TRUE(table.setAsideBeforeSave);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(ConfigFile, OversizedFileIsReadUpToTheLimitAndKeptWhole) {
    TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    // A second service whose exclusion text alone is larger than any real table.
    std::vector<std::string> lines = kExampleLines;
    lines[5] = "Service Count=2";
    lines[6] = "Custom Count=2";
    lines.insert(lines.end(),
                 {"[Service 2]", "serviceid=5", "othernum=2", "othername=Big", "enabled=0",
                  "sharedir=/big", "excludefiles=" + std::string(6 << 20, 'a'), "rulecnt=0"});
    const std::string content = crlf(lines);
    writeBytes(path, content);

    ServiceTable table;
    std::vector<std::string> messages;
    EXPECT_EQ(ReadConfigFile(path, table, [&](const std::string& m) { messages.push_back(m); }),
              -1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(
        messages[0].find("The file is larger than 4 MiB; it was read up to that size. Line 34."),
        std::string::npos);
    ASSERT_EQ(table.services.size(), 2u);
    EXPECT_EQ(table.services[0], exampleTable().services[0]);
    EXPECT_EQ(table.services[1].sharedir, "/big");
    EXPECT_EQ(table.services[1].excludefiles, "");
    EXPECT_TRUE(table.setAsideBeforeSave);

    ASSERT_EQ(WriteConfigFile(path, table), 0);
    EXPECT_EQ(readBytes(path + ".bad"), content);
}

TEST(ConfigFile, MissingFileCannotBeReadAndNeedsNoKeeping) {
    TempFolder folder;
    ServiceTable table;
    EXPECT_EQ(ReadConfigFile(folder.file("absent.ini"), table, [](const std::string&) {}), -2);
    EXPECT_FALSE(table.setAsideBeforeSave);
    // A folder where the file should be exists but cannot be read: it must never be replaced.
    std::filesystem::create_directory(folder.file("dir.ini"));
    EXPECT_EQ(ReadConfigFile(folder.file("dir.ini"), table, [](const std::string&) {}), -2);
    EXPECT_TRUE(table.setAsideBeforeSave);
}

} // namespace
} // namespace lp
