// Sort Now through the real engine on real folders: the preview's lines, the chosen subset
// carried out and logged, what was left out untouched, files changed or gone since the preview
// refused with their reasons, a cancellation that leaves no rule half done, and the undo of a
// sorted move.

#include "engine/activity_entry.h"
#include "engine/monitor_cycle.h"
#include "engine/simulating_environment.h"
#include "engine/sort_now.h"
#include "engine/undo.h"
#include "globals/temp_folder.h"
#include "program_on_path.h"
#include "recording_environment.h"
#include "support/one_folder_table.h"
#include "support/rule_action.h"
#include "support/write_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace {

namespace fs = std::filesystem;
using lp::test::readBytes;
using lp::test::writeBytes;

std::vector<lp::ActivityEntry> logEntries(const std::string& path) {
    std::vector<lp::ActivityEntry> entries;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (auto entry = lp::ParseActivityLine(line))
            entries.push_back(*entry);
    return entries;
}

class SortNow : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"in", "out", "copies"})
            fs::create_directories(home.path() / name);
    }
    std::string in(const std::string& name = {}) const { return path("in", name); }
    std::string out(const std::string& name = {}) const { return path("out", name); }
    std::string copies(const std::string& name = {}) const { return path("copies", name); }
    std::string path(const char* folder, const std::string& name) const {
        return name.empty() ? (home.path() / folder).string()
                            : (home.path() / folder / name).string();
    }
    lp::rServiceRules folderWith(std::vector<lp::RuleRec> rules) const {
        lp::rServiceRules folder =
            lp::test::OneFolderTable("Inbox", in(), rules.front()).services[0];
        folder.rulelist.rules = std::move(rules);
        folder.rulelist.rulecnt = static_cast<std::int32_t>(folder.rulelist.rules.size());
        folder.enabled = false; // Sort Now works for a folder that is off too
        return folder;
    }

    lp::test::TempFolder home;
    lp::test::RecordingEnvironment environment;
};

TEST_F(SortNow, ThePreviewNamesEachOperationWithItsFileAndRule) {
    using lp::test::MakeRule;
    // A destination made from the file whose fixed folder is missing fails for each file.
    lp::ruleactionrec photosByYear = lp::test::MoveTo(path("missing", "") + "/{year}");
    photosByYear.templated = true;
    // Two rules share a name; the second takes everything left, once per rule and per file.
    const lp::rServiceRules folder = folderWith({
        MakeRule(
            "Music", lp::NewFile,
            {lp::test::MoveTo(out()), lp::test::Launching(lp::test::kProgramOnPath, "--add mfile")},
            {lp::test::ExtensionIs("mp3")}),
        MakeRule("Music", lp::NewFile,
                 {lp::test::Launching(lp::test::kProgramOnPath, "--done"),
                  lp::test::CopyTo(path("missing", ""))},
                 {lp::test::ExtensionIs("txt")}),
        MakeRule("Photos", lp::NewFile, {photosByYear}, {lp::test::ExtensionIs("jpg")}),
    });
    writeBytes(in("a.mp3"), "a");
    writeBytes(in("a.mp3.txt"), "text"); // holds the other file's path as its start
    writeBytes(in("c.jpg"), "photo");
    const lp::SortNowPreview preview =
        lp::PreviewSortNow(folder, {}, environment, lp::SimulatingEnvironment::TakesAll());
    struct Line {
        std::string file;
        std::int32_t rule;
        std::string action;
        std::vector<std::string> values;
        std::string reason;
    } expected[] = {
        {"a.mp3", 0, "move", {in("a.mp3"), out("a.mp3")}, ""},
        {"a.mp3", 0, "launch", {lp::test::kProgramOnPath, "--add", out("a.mp3")}, ""},
        {"",
         1,
         "launch",
         {lp::test::kProgramOnPath, "--done"},
         ""}, // once for the rule: no file of its own
        {"a.mp3.txt",
         1,
         "copy",
         {in("a.mp3.txt"), path("missing", "a.mp3.txt")},
         "the destination folder is missing"},
        {"c.jpg",
         2,
         "make-folder",
         {in("c.jpg")},
         "the destination folder is missing (" + path("missing", "") + ")"},
    };
    ASSERT_EQ(preview.lines.size(), std::size(expected));
    for (std::size_t i = 0; i < preview.lines.size(); ++i) {
        const lp::SortNowLine& line = preview.lines[i];
        EXPECT_EQ(line.file, expected[i].file) << i;
        EXPECT_EQ(line.rule, expected[i].rule) << i;
        EXPECT_EQ(line.ruleName, i < 4 ? "Music" : "Photos") << i;
        EXPECT_EQ(line.action, expected[i].action) << i;
        EXPECT_EQ(line.values, expected[i].values) << i;
        EXPECT_EQ(line.failing, !expected[i].reason.empty()) << i;
        EXPECT_EQ(line.reason, expected[i].reason) << i;
    }
    EXPECT_TRUE(fs::exists(in("a.mp3"))) << "a preview changes nothing";
    EXPECT_TRUE(environment.launches.empty()) << "a preview starts nothing";
    const std::set<lp::SortNowChoice> keep{{"a.mp3", 0}, {"", 1}};
    EXPECT_EQ(lp::UnfailingChoices(preview), keep);
}

TEST_F(SortNow, ChosenFilesAreSortedTheRestLeftAndChangedOrVanishedFilesRefused) {
    // Each .mp3 is copied to copies, then moved to out; each .txt goes to a folder that is
    // missing, which the preview foresees.
    const lp::rServiceRules folder = folderWith({
        lp::test::MakeRule("Music", lp::NewFile,
                           {lp::test::CopyTo(copies()), lp::test::MoveTo(out())},
                           {lp::test::ExtensionIs("mp3")}),
        lp::test::MakeRule("Text", lp::NewFile, {lp::test::MoveTo(path("missing", ""))},
                           {lp::test::ExtensionIs("txt")}),
    });
    enum class Meanwhile { Nothing, Rewritten, Removed, SortedByACycle };
    struct Case {
        std::string file;
        bool chosen;         // ticked in the preview
        Meanwhile meanwhile; // what happens to it between the preview and the run
        bool sorted;         // copied and moved
        std::string refusal; // the reason the log gives for its refused copy
    } cases[] = {
        {"a.mp3", true, Meanwhile::Nothing, true, ""},
        {"b.mp3", false, Meanwhile::Nothing, false, ""},
        {"c.mp3", true, Meanwhile::Rewritten, false, "the file changed since the preview"},
        {"d.mp3", true, Meanwhile::Removed, false, "the file is gone"},
        {"f.mp3", true, Meanwhile::SortedByACycle, false, "the file was sorted since the preview"},
        {"e.txt", false, Meanwhile::Nothing, false, ""}, // foreseen to fail: not chosen
    };
    for (const Case& c : cases)
        writeBytes(in(c.file), "content of " + c.file);

    lp::SortNowPreview preview =
        lp::PreviewSortNow(folder, {}, environment, lp::SimulatingEnvironment::TakesAll());
    EXPECT_EQ(preview.lines.size(), 11u); // a copy and a move per .mp3, the .txt's failing move
    std::set<lp::SortNowChoice> chosen = lp::UnfailingChoices(preview);
    EXPECT_FALSE(chosen.contains({"e.txt", 1}));
    for (const Case& c : cases) {
        if (!c.chosen)
            chosen.erase({c.file, 0});
        if (c.meanwhile == Meanwhile::Rewritten)
            writeBytes(in(c.file), "longer content of " + c.file);
        if (c.meanwhile == Meanwhile::Removed)
            fs::remove(in(c.file));
        if (c.meanwhile == Meanwhile::SortedByACycle)
            preview.sortedSince.insert(c.file);
    }

    lp::ActivityLog log(home.file("activity.log"));
    std::size_t reported = 0, total = 0;
    const lp::SortNowProgress progress{{}, [&](std::size_t done, std::size_t of) {
                                           reported = done;
                                           total = of;
                                       }};
    const lp::SortNowOutcome outcome =
        lp::CarryOutSortNow(preview, chosen, {}, environment, log, progress);
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_EQ(outcome.failed, 3u);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(total, 8u);
    EXPECT_EQ(reported, total) << "the moves a refused copy stopped count as done for the bar";

    const std::vector<lp::ActivityEntry> entries = logEntries(home.file("activity.log"));
    for (const Case& c : cases) {
        EXPECT_EQ(fs::exists(out(c.file)), c.sorted) << c.file;
        EXPECT_EQ(fs::exists(copies(c.file)), c.sorted) << c.file;
        EXPECT_EQ(fs::exists(in(c.file)), !c.sorted && c.meanwhile != Meanwhile::Removed) << c.file;
        const auto copyLine = std::ranges::find_if(entries, [&](const lp::ActivityEntry& e) {
            return e.action == "copy" && e.values.front() == in(c.file);
        });
        ASSERT_EQ(copyLine != entries.end(), c.chosen) << c.file;
        if (copyLine == entries.end())
            continue;
        EXPECT_EQ(copyLine->failed, !c.sorted) << c.file;
        EXPECT_EQ(copyLine->reason, c.refusal) << c.file;
        EXPECT_EQ(copyLine->folder, "Inbox");
        EXPECT_EQ(copyLine->rule, "Music");
    }
    EXPECT_EQ(readBytes(in("c.mp3")), "longer content of c.mp3") << "a changed file is left alone";
    ASSERT_EQ(entries.size(), 5u); // a's copy and move, c's, d's and f's refused copies

    // The sorted move is taken back as a cycle's is.
    const auto move = std::ranges::find_if(
        entries, [](const lp::ActivityEntry& e) { return e.action == "move" && !e.failed; });
    ASSERT_NE(move, entries.end());
    const lp::UndoResult undone = lp::UndoActivity(*move);
    EXPECT_TRUE(undone.done) << undone.message;
    EXPECT_TRUE(fs::exists(in("a.mp3")));
    EXPECT_FALSE(fs::exists(out("a.mp3")));
}

TEST_F(SortNow, ACancellationFinishesTheFilesItsRuleBeganAndBeginsNoOther) {
    const lp::rServiceRules folder = folderWith({lp::test::MakeRule(
        "Music", lp::NewFile, {lp::test::CopyTo(copies()), lp::test::MoveTo(out())})});
    for (const char* name : {"1", "2", "3"})
        writeBytes(in(name), name);
    const lp::SortNowPreview preview =
        lp::PreviewSortNow(folder, {}, environment, lp::SimulatingEnvironment::TakesAll());
    lp::ActivityLog log(home.file("activity.log"));
    std::size_t reported = 0, total = 0;
    // Cancelled once the first file's copy is made: that file's move still follows.
    const lp::SortNowProgress progress{[&] { return reported >= 1; },
                                       [&](std::size_t done, std::size_t of) {
                                           reported = done;
                                           total = of;
                                       }};
    const lp::SortNowOutcome outcome =
        lp::CarryOutSortNow(preview, lp::UnfailingChoices(preview), {}, environment, log, progress);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(total, 6u);
    EXPECT_TRUE(fs::exists(out("1")) && fs::exists(copies("1")));
    for (const char* name : {"2", "3"}) {
        EXPECT_TRUE(fs::exists(in(name))) << name;
        EXPECT_FALSE(fs::exists(copies(name))) << name;
    }
    EXPECT_EQ(logEntries(home.file("activity.log")).size(), 2u) << "nothing held back is logged";
}

// A file that arrived after the cycle's last listing and was sorted or left alone by hand is
// known to the next cycle, which must not copy it a second time; one that changed since the
// preview was not seen to and is still new.
TEST_F(SortNow, WhatTheUserSawToIsKnownToTheNextCycle) {
    lp::ServiceTable table = lp::test::OneFolderTable(
        "Inbox", in(), lp::test::MakeRule("Music", lp::NewFile, {lp::test::CopyTo(copies())}));
    table.services[0].knownready = true; // listed while the folder was still empty
    for (const char* name : {"sorted", "unticked", "changed"})
        writeBytes(in(name), name);
    const lp::SortNowPreview preview = lp::PreviewSortNow(table.services[0], {}, environment,
                                                          lp::SimulatingEnvironment::TakesAll());
    std::set<lp::SortNowChoice> chosen = lp::UnfailingChoices(preview);
    chosen.erase({"unticked", 0});
    lp::ActivityLog log(home.file("activity.log"));
    lp::SortingPolicy keepBoth;
    keepBoth.nameClash = lp::NameClash::KeepBoth;
    EXPECT_EQ(lp::CarryOutSortNow(preview, chosen, keepBoth, environment, log).done, 2u);
    writeBytes(in("changed"), "changed after it was sorted");

    lp::RecordFilesKnown(table, lp::PreviewedFiles(preview));
    lp::runMonitorCycle(table, false, keepBoth, environment);
    std::vector<std::string> copied;
    for (const auto& entry : fs::directory_iterator(copies()))
        copied.push_back(entry.path().filename().string());
    std::ranges::sort(copied);
    EXPECT_EQ(copied, (std::vector<std::string>{"changed", "changed (2)", "sorted"}));
}

// A rename made by hand takes its date from the file, as the preview showed it, and what it
// renamed is the file's own name from then on: no cycle renames it again, whether its rule takes
// new files only or every file there.
TEST_F(SortNow, ARenameByHandDatesTheFileAsPreviewedAndIsNotTakenUpAgain) {
    for (const auto trigger : {lp::NewFile, lp::FileCount}) {
        SCOPED_TRACE(trigger);
        fs::remove_all(in());
        fs::create_directories(in());
        lp::ruleactionrec rename;
        rename.raction = lp::rRename;
        rename.racrename.newname = "{year}-{month} {name}.{ext}";
        lp::ServiceTable table =
            lp::test::OneFolderTable("Inbox", in(), lp::test::MakeRule("Dated", trigger, {rename}));
        table.services[0].knownready = true; // listed while the folder was still empty
        writeBytes(in("scan.pdf"), "scan");
        lp::test::setLocalWriteTime(in("scan.pdf"), 2021, 6, 15);
        const lp::SortNowPreview preview = lp::PreviewSortNow(
            table.services[0], {}, environment, lp::SimulatingEnvironment::TakesAll());
        ASSERT_EQ(preview.lines.size(), 1u);
        EXPECT_EQ(preview.lines[0].values.back(), in("2021-06 scan.pdf"));
        lp::ActivityLog log(home.file("activity.log"));
        const lp::SortNowOutcome outcome =
            lp::CarryOutSortNow(preview, lp::UnfailingChoices(preview), {}, environment, log);
        EXPECT_TRUE(fs::exists(in("2021-06 scan.pdf")));

        lp::RecordFilesKnown(table, lp::PreviewedFiles(preview));
        lp::RecordFilesPlaced(table, outcome.placed);
        for (int cycle = 0; cycle < 2; ++cycle)
            lp::runMonitorCycle(table, false, {}, environment);
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(in()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"2021-06 scan.pdf"});
    }
}

} // namespace

namespace {

// A folder watched with its sub-folders: the preview names each file by its path below the
// folder, and the files chosen are sorted with their own names, the log showing whole paths.
TEST_F(SortNow, AFolderWithItsSubFoldersShowsAndSortsTheirFiles) {
    lp::rServiceRules folder = folderWith({lp::test::MakeRule(
        "Music", lp::NewFile, {lp::test::MoveTo(out())}, {lp::test::ExtensionIs("mp3")})});
    folder.subfolders = 2;
    fs::create_directories(home.path() / "in" / "a" / "b" / "c");
    writeBytes(in("top.mp3"), "t");
    writeBytes(in("a/one.mp3"), "1");
    writeBytes(in("a/b/two.mp3"), "2");
    writeBytes(in("a/b/c/too-deep.mp3"), "3");
    const lp::SortNowPreview preview =
        lp::PreviewSortNow(folder, {}, environment, lp::SimulatingEnvironment::TakesAll());
    std::vector<std::string> files;
    for (const lp::SortNowLine& line : preview.lines)
        files.push_back(line.file);
    std::ranges::sort(files);
    EXPECT_EQ(files, (std::vector<std::string>{"a/b/two.mp3", "a/one.mp3", "top.mp3"}));
    lp::ActivityLog log(home.file("activity.log"));
    const lp::SortNowOutcome outcome = lp::CarryOutSortNow(
        preview, lp::UnfailingChoices(preview), {}, environment, log, lp::SortNowProgress{});
    EXPECT_EQ(outcome.done, 3u);
    for (const char* name : {"top.mp3", "one.mp3", "two.mp3"})
        EXPECT_TRUE(fs::exists(out(name))) << name;
    EXPECT_TRUE(fs::exists(in("a/b/c/too-deep.mp3")));
    const std::vector<lp::ActivityEntry> entries = logEntries(home.file("activity.log"));
    EXPECT_NE(
        std::ranges::find_if(
            entries,
            [&](const lp::ActivityEntry& e) {
                return e.values == std::vector<std::string>{in("a/b/two.mp3"), out("two.mp3")};
            }),
        entries.end());
}

} // namespace

namespace {

// Files sorted into folders made in the watched folder itself, from their sub-folder or a date,
// are sorted once: neither a cycle nor Sort Now takes them up again one folder deeper, not after
// they were written to either, and no other action or rule of the folder (a delete after a copy,
// a program) takes the sorted file. Sort Now still offers the files that were there before.
TEST_F(SortNow, FilesSortedIntoFoldersMadeInTheWatchedFolderAreNotOfferedAgain) {
    const auto to = [&](std::uint8_t kind, const std::string& made) {
        lp::ruleactionrec action = kind == lp::rMove ? lp::test::MoveTo(in() + "/" + made)
                                                     : lp::test::CopyTo(in() + "/" + made);
        action.templated = true;
        return action;
    };
    lp::ruleactionrec renamed;
    renamed.raction = lp::rRename;
    renamed.racrename.newname = "{name}-s.{ext}";
    const lp::ruleactionrec launched = lp::test::Launching(lp::test::kProgramOnPath, "mfile");
    const lp::ruleactionrec byYear = to(lp::rMove, "{year}/{folder}");
    const struct {
        const char* what;
        std::vector<std::vector<lp::ruleactionrec>> rules; // the actions of each rule
        // Renamed last, the file is known by what it was then: written to since, it is taken
        // up again as any changed file is.
        bool renamedLast = false;
    } cases[] = {
        {"{year}/{folder}", {{byYear}}},
        {"{folder}/{year}", {{to(lp::rMove, "{folder}/{year}")}}},
        {"{ext}/{folder}", {{to(lp::rMove, "{ext}/{folder}")}}},
        {"{today.year}-{today.month}/{folder}",
         {{to(lp::rMove, "{today.year}-{today.month}/{folder}")}}},
        {"x{day}/{folder}", {{to(lp::rMove, "x{day}/{folder}")}}},
        {"{year} alone", {{to(lp::rMove, "{year}")}}},
        {"copied, then deleted", {{to(lp::rCopy, "{year}/{folder}"), lp::test::Deleting()}}},
        {"copied by one rule, deleted by another",
         {{to(lp::rCopy, "{year}/{folder}")}, {lp::test::Deleting()}}},
        {"a program, then the move", {{launched, byYear}}},
        {"renamed, then moved", {{renamed, byYear}}},
        {"moved by its name, then renamed", {{to(lp::rMove, "{name}/{folder}"), renamed}}, true},
        {"renamed where it lies", {{renamed}}, true},
        {"backed up, then moved", {{lp::test::CopyTo(copies()), byYear}}},
        {"gathered at the top", {{lp::test::MoveTo(in())}}},
        {"gathered at the top, spelt with a dot", {{lp::test::MoveTo(in() + "/.")}}},
    };
    // Where the file is now below the watched folder, under its name or one a rename made.
    const auto placesOf = [&](const std::string& name) {
        std::vector<std::string> places;
        for (const auto& entry : fs::recursive_directory_iterator(in()))
            if (entry.is_regular_file() && entry.path().filename().string().starts_with(name))
                places.push_back(fs::relative(entry.path(), in()).string());
        return places;
    };
    for (const auto& c : cases)
        for (const std::uint8_t trigger : {lp::NewFile, lp::FileCount}) {
            SCOPED_TRACE(std::string(c.what) + (trigger == lp::NewFile ? ", new" : ", every"));
            fs::remove_all(in());
            fs::remove_all(copies());
            fs::create_directories(in("notes"));
            fs::create_directories(copies());
            writeBytes(in("notes/old.pdf"), "old");
            std::vector<lp::RuleRec> rules;
            for (const auto& actions : c.rules)
                rules.push_back(lp::test::MakeRule("Sorted", trigger, actions));
            lp::ServiceTable table;
            table.services = {folderWith(rules)};
            table.services[0].enabled = true;
            table.services[0].subfolders = 32;
            lp::runMonitorCycle(table, true, {}, environment);
            fs::create_directories(in("a"));
            writeBytes(in("a/scan.pdf"), "scan");
            lp::test::setLocalWriteTime(in("a/scan.pdf"), 2021, 6, 15);
            for (int cycle = 0; cycle < 3; ++cycle)
                lp::runMonitorCycle(table, false, {}, environment);
            const std::vector<std::string> scans = placesOf("scan");
            ASSERT_EQ(scans.size(), 1u);
            EXPECT_NE(scans[0], "a/scan.pdf");
            EXPECT_EQ(placesOf("old").size(), 1u);
            EXPECT_LE(std::distance(fs::directory_iterator(copies()), fs::directory_iterator()), 2)
                << "a backup made again";
            // A rule on every file sorted the old one too.
            const std::set<std::string> stillOffered = trigger == lp::NewFile
                                                           ? std::set<std::string>{"notes/old.pdf"}
                                                           : std::set<std::string>{};
            for (const bool writtenSince : {false, true}) {
                if (writtenSince && c.renamedLast)
                    break;
                if (writtenSince)
                    lp::test::setLocalWriteTime(in(scans[0]), 2023, 1, 2);
                const lp::SortNowPreview preview = lp::PreviewSortNow(
                    table.services[0], {}, environment, lp::SimulatingEnvironment::TakesAll());
                std::set<std::string> offered;
                for (const lp::SortNowLine& line : preview.lines)
                    offered.insert(line.file);
                EXPECT_EQ(offered, stillOffered) << (writtenSince ? "written since" : "as sorted");
            }
        }
}

} // namespace
