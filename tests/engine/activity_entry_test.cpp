// The activity log's lines: every entry reads back as it was written, and what is not a line of
// the log is never taken for one.

#include "engine/activity_entry.h"

#include <gtest/gtest.h>

namespace lp {
namespace {

constexpr const char* kTime = "2026-12-08T09:12:33+01:00";

ActivityEntry entry(std::string action, std::vector<std::string> values) {
    ActivityEntry made;
    made.time = kTime;
    made.folder = "Downloads";
    made.rule = "Music";
    made.action = std::move(action);
    made.values = std::move(values);
    return made;
}

ActivityEntry withIdentity(ActivityEntry made, FileIdentity identity) {
    made.identity = identity;
    return made;
}

ActivityEntry failed(ActivityEntry made) {
    made.failed = true;
    return made;
}

ActivityEntry failedFor(std::string reason, ActivityEntry made) {
    made.failed = true;
    made.reason = std::move(reason);
    return made;
}

ActivityEntry undone(ActivityEntry made) {
    made.undo = true;
    return made;
}

TEST(ActivityEntry, LinesAreWrittenAsTheVerboseOutputPrintsOperations) {
    struct Case {
        ActivityEntry entry;
        std::string line;
    };
    const Case cases[] = {
        {withIdentity(entry("move", {"/in/a b.mp3", "/music/a b.mp3"}), {1234, -5, 2049, 77}),
         std::string(kTime) + " \"Downloads\" \"Music\" move \"/in/a b.mp3\" \"/music/a b.mp3\"" +
             " # size=1234 mtime=-5 file=2049:77"},
        {failed(entry("delete", {"/in/x"})),
         std::string(kTime) + " \"Downloads\" \"Music\" failed delete \"/in/x\""},
        {failedFor("the destination folder is missing", entry("move", {"/in/a", "/gone/a"})),
         std::string(kTime) + " \"Downloads\" \"Music\" failed move \"/in/a\" \"/gone/a\"" +
             " # reason=\"the destination folder is missing\""},
        {failed(undone(entry("move", {"/music/a", "/in/a"}))),
         std::string(kTime) + " \"Downloads\" \"Music\" failed undo move \"/music/a\" \"/in/a\""},
        {entry("launch", {"/usr/bin/tool", "--flag", ""}),
         std::string(kTime) + " \"Downloads\" \"Music\" launch \"/usr/bin/tool\" \"--flag\" \"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatActivityLine(c.entry), c.line);
}

TEST(ActivityEntry, EveryEntryReadsBackAsItWasWritten) {
    ActivityEntry oddNames = entry("copy", {"/in/\"quoted\" \\ back\nline\ttab",
                                            std::string("/out/nul\0\x1b[2J caf\xc3\xa9 \xe9", 21)});
    oddNames.folder = "Folder \"with\" # size=1 mtime=2 file=3:4";
    oddNames.rule = "";
    const ActivityEntry cases[] = {
        withIdentity(entry("move", {"/in/a", "/out/a (2)"}),
                     {UINT64_MAX, INT64_MIN, UINT64_MAX, 0}),
        withIdentity(oddNames, {0, 0, 0, 0}),
        failed(entry("copy", {"/in/a", "/out/a"})),
        entry("delete", {"/in/a"}),
        entry("trash", {"/in/ \" # size=1 mtime=2 file=3:4"}),
        entry("launch", {"prog"}),
        entry("launch", {"prog", "\"", "a b", ""}),
        withIdentity(undone(entry("move", {"/out/a", "/in/a"})), {1, 2, 3, 4}),
        undone(entry("delete", {"/out/copy"})),
        failed(undone(entry("delete", {"/out/copy"}))),
        failedFor("Permission denied", entry("delete", {"/in/a"})),
        failedFor("say \"# reason=\" \\ twice\n", entry("launch", {"prog", "x"})),
        failedFor("the name is taken and the name-clash choice is 'leave'",
                  undone(entry("move", {"/out/a", "/in/a"}))),
    };
    for (const ActivityEntry& written : cases) {
        const std::string line = FormatActivityLine(written);
        EXPECT_EQ(ParseActivityLine(line), written) << line;
        EXPECT_EQ(ParseActivityLine(line + '\n'), written) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
}

TEST(ActivityEntry, WhatIsNotALineOfTheLogIsNotTakenForOne) {
    const std::string head = std::string(kTime) + " \"F\" \"R\" ";
    const std::string lines[] = {
        "",
        head,
        head + "move \"/a\"",               // one value short
        head + "move \"/a\" \"/b\" \"/c\"", // one too many
        head + "launch",                    // no program
        head + "rename \"/a\" \"/b\"",      // no such verb
        head + "undo copy \"/a\" \"/b\"",   // copies are undone by deleting them
        head + "undo trash \"/a\"",         // nor is a trash undone
        head + "delete \"/a",               // value not closed
        head + "delete \"/a\\q\"",          // no such escape
        head + "delete \"/a\\x4\"",         // escape cut short
        head + "delete \"/a\" trailing",    // text after the values
        head + "delete \"/a\"  # size=1 mtime=2 file=3:4",
        head + "move \"/a\" \"/b\" # size=1 mtime=2 file=3",
        head + "move \"/a\" \"/b\" # size=x mtime=2 file=3:4",
        head + "move \"/a\" \"/b\" # size=-1 mtime=2 file=3:4",
        head + "failed  delete \"/a\"",
        head + "delete \"/a\" # reason=\"why\"",          // only a failure has a reason
        head + "failed delete \"/a\" # reason=why",       // reason not quoted
        head + "failed delete \"/a\" # reason=\"why\" x", // text after the reason
        head + "failed move \"/a\" \"/b\" # reason=\"a\" # size=1 mtime=2 file=3:4",
        "2026-12-08 09:12:33 \"F\" \"R\" delete \"/a\"",      // not ISO 8601
        "2026-12-08T09:12:33Z \"F\" \"R\" delete \"/a\"",     // no offset
        "2026-12-08T09:12:33+0100 \"F\" \"R\" delete \"/a\"", // offset without colon
        std::string(kTime) + " F \"R\" delete \"/a\"",        // folder not quoted
        std::string(kTime) + "  \"F\" \"R\" delete \"/a\"",
        std::string(kTime) + " \"F\" \"R\" delete \"/a\"\r",
        std::string(kTime) + " \"F\" \"R\" delete \"/a\"\n\n",
    };
    for (const std::string& line : lines)
        EXPECT_EQ(ParseActivityLine(line), std::nullopt) << line;
}

} // namespace
} // namespace lp
