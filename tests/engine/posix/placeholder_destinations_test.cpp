// Destinations and names made from the file, through the real file format and a real cycle:
// hostile names and templates, each with where the file may go and where it must never go.

#include "engine/activity_log.h"
#include "engine/failure_reason.h"
#include "engine/headless_run.h"
#include "engine/logging_environment.h"
#include "engine/monitor_cycle.h"
#include "engine/passed_over_rules.h"
#include "engine/placed_files.h"
#include "engine/recording_environment.h"
#include "engine/rule_config_text.h"
#include "engine/simulation_runs.h"
#include "engine/undo.h"
#include "globals/config_file.h"
#include "globals/temp_folder.h"
#include "private_mounts.h"
#include "support/write_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace lp {
namespace {

namespace fs = std::filesystem;

// One folder over inbox with one rule that takes the files matching names, on the trigger
// mcond, and does the action lines.
std::string configText(const std::string& inbox, const std::vector<std::string>& actionLines,
                       const std::string& names = "*", int mcond = 0) {
    return test::configText("2.00", inbox,
                            {{{"rcond=5", "names=" + names}, 1, actionLines, mcond}});
}

// Reads the text, runs one cycle in which every file of the inbox is new, and gives back the
// simulation's lines that came before it.
// With cycles = 2, a second cycle follows, in which only files new since the first are new.
std::vector<std::string> readAndRun(const std::string& text, bool& passedOver,
                                    const SortingPolicy& policy = {}, int cycles = 1) {
    ServiceTable table;
    EXPECT_EQ(ReadConfigContent(text, table, [](const std::string&) {}), 0);
    passedOver = !PassedOverNotices(table).empty();
    const std::vector<std::string> foreseen = test::simulatedLines(table, policy);
    rServiceRules& service = table.services.at(0);
    service.knownready = true;
    test::RecordingEnvironment environment;
    for (int cycle = 0; cycle < cycles; ++cycle)
        RunServiceTurn(service, false, policy, environment);
    return foreseen;
}

using test::namesIn;

TEST(PlaceholderDestinations, HostileNamesAndTemplatesGoWhereTheyMayAndNeverElsewhere) {
    const std::string longName(250, 'a'); // with ".jpg", 254 bytes: a name of the longest kind
    std::string accented;                 // 125 two-byte letters
    for (int i = 0; i < 125; ++i)
        accented += "\xC3\xA9";
    struct Case {
        const char* what;
        std::string file;        // in the inbox
        std::string destination; // ROOT stands for the test's folder
        std::string mayGo;       // below ROOT; empty: the file stays in the inbox
        std::vector<std::string> neverThere;
        bool passedOver = false;
    };
    const std::vector<Case> cases = {
        {"the month's folder of the last-write time",
         "p.jpg",
         "ROOT/out/{year}/{month}",
         "out/2026/03/p.jpg",
         {}},
        {"a name of only \".\"", "..jpg", "ROOT/out/{name}", "out/_/..jpg", {"out/..jpg"}},
        {"a name of \"..\" never climbs",
         "...jpg",
         "ROOT/out/{name}",
         "out/_/...jpg",
         {"...jpg", "out/...jpg"}},
        {"control characters",
         "a\x01"
         "b\x1b.jpg",
         "ROOT/out/{name}",
         "out/a_b_/a\x01"
         "b\x1b.jpg",
         {}},
        {"bytes that are no UTF-8",
         "x\xFF\xC3.jpg",
         "ROOT/out/{name}",
         "out/x__/x\xFF\xC3.jpg",
         {}},
        {"a value of 255 bytes and more is cut",
         longName + ".jpg",
         "ROOT/out/{name}{name}",
         "out/" + std::string(255, 'a') + "/" + longName + ".jpg",
         {}},
        {"cut at a character's boundary",
         accented + ".jpg",
         "ROOT/out/{name}{name}",
         "out/" + accented + std::string(accented, 0, 4) + "/" + accented + ".jpg",
         {}},
        {"a doubled brace is a brace",
         "p.jpg",
         "ROOT/out/{year}/{{year}",
         "out/2026/{year}/p.jpg",
         {"out/2026/2026"}},
        {"a doubled brace before a placeholder names a folder that must exist",
         "p.jpg",
         "ROOT/out/{{year}/{year}",
         "",
         {"out/{year}"}},
        {"a placeholder at the very start", "p.jpg", "{year}/{month}", "", {"2026"}, true},
        {"an unknown placeholder", "p.jpg", "ROOT/out/{colour}", "", {"out/{colour}"}, true},
        {"climbing after a placeholder",
         "p.jpg",
         "ROOT/out/{year}/../up",
         "",
         {"out/up", "out/2026"},
         true},
        {"the fixed part is missing: never made again",
         "p.jpg",
         "ROOT/unplugged/{year}",
         "",
         {"unplugged"}},
        {"a link where a folder is made is never gone through",
         "link.jpg",
         "ROOT/out/{name}",
         "",
         {"elsewhere/link.jpg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const fs::path root = temp.file("root");
        const fs::path inbox = root / "in";
        fs::create_directories(inbox);
        fs::create_directories(root / "out");
        fs::create_directories(root / "elsewhere");
        fs::create_directory_symlink(root / "elsewhere", root / "out" / "link");
        const fs::path file = inbox / c.file;
        test::writeBytes(file, "photo");
        test::setLocalWriteTime(file.string(), 2026, 3, 5);
        std::string destination = c.destination;
        if (destination.starts_with("ROOT"))
            destination.replace(0, 4, root.string());
        bool passedOver = false;
        const std::vector<std::string> foreseen = readAndRun(
            configText(inbox.string(), {"raction=0", "filepath=" + destination}), passedOver);
        EXPECT_EQ(passedOver, c.passedOver);
        if (c.mayGo.empty()) {
            EXPECT_TRUE(fs::exists(file));
        } else {
            EXPECT_FALSE(fs::exists(file));
            EXPECT_TRUE(fs::exists(root / c.mayGo));
            // The simulation foresaw the very same folder (its lines show control characters
            // escaped, so the cleaned folder is what is compared).
            ASSERT_FALSE(foreseen.empty());
            EXPECT_NE(foreseen.back().find((root / c.mayGo).parent_path().string()),
                      std::string::npos)
                << foreseen.back();
        }
        for (const std::string& never : c.neverThere)
            EXPECT_FALSE(fs::exists(fs::symlink_status(root / never))) << never;
    }
}

TEST(RenameAction, NamesComeFromTheFileInItsFolderAndStayKnown) {
    struct Case {
        const char* what;
        std::vector<std::string> actionLines; // OUT stands for the out folder
        NameClash clash;
        std::vector<std::string> inbox, out; // what each holds after two cycles
        int mcond = 0;                       // the trigger: new files, unless the case says
        std::string saysFailed = {};         // the end of the simulation's failed line, if any
    };
    const std::string longName = "scan" + std::string(247, 'x') + ".pdf";
    const std::vector<Case> cases = {
        {"the date after the name, renamed once only",
         {"raction=5", "newname={name} {year}-{month}-{day}.{ext}"},
         NameClash::Replace,
         {"scan 2026-03-05.pdf", "taken.pdf"},
         {}},
        {"the same name: nothing to do, nothing failed",
         {"raction=5", "newname={name}.{ext}"},
         NameClash::Leave,
         {"scan.pdf", "taken.pdf"},
         {}},
        {"a taken name is kept beside",
         {"raction=5", "newname=taken.{ext}"},
         NameClash::KeepBoth,
         {"taken (2).pdf", "taken.pdf"},
         {}},
        {"a taken name is left",
         {"raction=5", "newname=taken.{ext}"},
         NameClash::Leave,
         {"scan.pdf", "taken.pdf"},
         {}},
        {"a taken name is replaced",
         {"raction=5", "newname=taken.{ext}"},
         NameClash::Replace,
         {"taken.pdf"},
         {}},
        {"after a move, in the folder the file went to",
         {"raction=0", "filepath=OUT", "raction=5", "newname={name}-{year}.{ext}"},
         NameClash::Replace,
         {"taken.pdf"},
         {"scan-2026.pdf"}},
        {"a name that comes out empty fails, says why, and the file stays",
         {"raction=5", "newname={folder}"},
         NameClash::Replace,
         {"scan.pdf", "taken.pdf"},
         {},
         0,
         "scan.pdf\" # reason=\"the new name made from the file is empty\""},
        {"a name whose part before its extension comes out empty fails: it would hide the file",
         {"raction=5", "newname={folder}.{ext}"},
         NameClash::Replace,
         {"scan.pdf", "taken.pdf"},
         {},
         0,
         "scan.pdf\" # reason=\"the new name made from the file is empty\""},
        {"a name too long for the system is cut before its extension",
         {"raction=5", "newname={name}" + std::string(300, 'x') + ".{ext}"},
         NameClash::Leave,
         {longName, "taken.pdf"},
         {}},
        {"a rule over every file, more than none, renames each once",
         {"raction=5", "newname={name} {year}.{ext}"},
         NameClash::Leave,
         {"scan 2026.pdf", "taken.pdf"},
         {},
         FileCount},
        {"a name is never a path",
         {"raction=5", "newname=../{name}"},
         NameClash::Replace,
         {"scan.pdf", "taken.pdf"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const fs::path inbox = temp.file("in"), out = temp.file("out");
        fs::create_directories(inbox);
        fs::create_directories(out);
        for (const char* name : {"scan.pdf", "taken.pdf"}) {
            test::writeBytes(inbox / name, name);
            test::setLocalWriteTime((inbox / name).string(), 2026, 3, 5);
        }
        std::vector<std::string> lines = c.actionLines;
        for (std::string& line : lines)
            if (line == "filepath=OUT")
                line = "filepath=" + out.string();
        bool passedOver = false;
        const std::vector<std::string> foreseen = readAndRun(
            configText(inbox.string(), lines, "scan*", c.mcond), passedOver, {c.clash, false}, 3);
        EXPECT_EQ(namesIn(inbox), c.inbox);
        EXPECT_EQ(namesIn(out), c.out);
        if (!c.saysFailed.empty()) {
            EXPECT_TRUE(std::ranges::any_of(foreseen, [&](const std::string& line) {
                return line.starts_with("failed rename ") && line.ends_with(c.saysFailed);
            })) << testing::PrintToString(foreseen);
        }
    }
}

// A file whose name starts with a dot keeps it: only a name made empty before its extension is
// refused, never the dot the file had.
TEST(RenameAction, AFileWhoseNameStartsWithADotIsRenamed) {
    test::TempFolder temp;
    const fs::path inbox = temp.file("in");
    fs::create_directories(inbox);
    test::writeBytes(inbox / ".scan.pdf", "hidden");
    bool passedOver = false;
    readAndRun(configText(inbox.string(), {"raction=5", "newname={name}-x.{ext}"}, ".scan*", 0),
               passedOver, {NameClash::Leave, false}, 2);
    EXPECT_EQ(namesIn(inbox), std::vector<std::string>{".scan-x.pdf"});
}

// A folder watched with its sub-folders: each file keeps the sub-folder it lies in for {folder}
// and for a rename, and a folder sorted into sub-folders of its own sorts nothing twice.
TEST(PlaceholderDestinations, FilesOfSubFoldersGoWhereTheirSubFolderSays) {
    struct Case {
        const char* what;
        std::vector<std::string> actionLines; // ROOT stands for the test's folder
        std::vector<std::string> after;       // every file below ROOT after two cycles
    };
    const std::vector<Case> cases = {
        {"{folder} mirrors the tree",
         {"raction=0", "filepath=ROOT/out/{folder}"},
         {"out/a/b/x.pdf", "out/y.pdf"}},
        {"renamed where it lies, once",
         {"raction=5", "newname={name}-{year}.{ext}"},
         {"in/a/b/x-2026.pdf", "in/y-2026.pdf"}},
        {"moved, then copied from where it went",
         {"raction=0", "filepath=ROOT/out", "raction=1", "filepath=ROOT/copies"},
         {"copies/x.pdf", "copies/y.pdf", "out/x.pdf", "out/y.pdf"}},
        {"sorted into sub-folders of its own folder",
         {"raction=0", "filepath=ROOT/in/{ext}"},
         {"in/pdf/x.pdf", "in/pdf/y.pdf"}},
        {"its tree mirrored into itself, once",
         {"raction=0", "filepath=ROOT/in/{ext}/{folder}"},
         {"in/pdf/a/b/x.pdf", "in/pdf/y.pdf"}},
        {"its tree copied into itself, once",
         {"raction=1", "filepath=ROOT/in/{ext}/{folder}"},
         {"in/a/b/x.pdf", "in/pdf/a/b/x.pdf", "in/pdf/y.pdf", "in/y.pdf"}},
        {"its tree mirrored into itself through a link to it, once",
         {"raction=0", "filepath=ROOT/link/{ext}/{folder}"},
         {"in/pdf/a/b/x.pdf", "in/pdf/y.pdf"}},
        {"its tree copied into itself as \"in/./\", once",
         {"raction=1", "filepath=ROOT/in/./{ext}/{folder}"},
         {"in/a/b/x.pdf", "in/pdf/a/b/x.pdf", "in/pdf/y.pdf", "in/y.pdf"}},
        {"its tree mirrored into itself as \"in//a/..\", once",
         {"raction=0", "filepath=ROOT/in//a/../{ext}/{folder}"},
         {"in/pdf/a/b/x.pdf", "in/pdf/y.pdf"}},
        {"its tree copied into itself through a bind mount of it, once",
         {"raction=1", "filepath=ROOT/bound/{ext}/{folder}"},
         {"in/a/b/x.pdf", "in/pdf/a/b/x.pdf", "in/pdf/y.pdf", "in/y.pdf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const fs::path root = temp.file("root");
        for (const char* folder : {"in/a/b", "out", "copies"})
            fs::create_directories(root / folder);
        fs::create_directory_symlink(root / "in", root / "link");
        std::optional<test::ScopedMount> bound;
        if (c.actionLines.back().find("bound") != std::string::npos) {
            fs::create_directories(root / "bound");
            bound.emplace((root / "in").string(), (root / "bound").string(), nullptr, MS_BIND);
            if (!bound->mounted())
                continue; // no private mounts here
        }
        for (const char* name : {"in/a/b/x.pdf", "in/y.pdf"}) {
            test::writeBytes(root / name, name);
            test::setLocalWriteTime((root / name).string(), 2026, 3, 5);
        }
        std::vector<std::string> lines = c.actionLines;
        for (std::string& line : lines)
            if (const auto at = line.find("ROOT"); at != std::string::npos)
                line.replace(at, 4, root.string());
        std::string text = configText((root / "in").string(), lines);
        text.replace(text.find("rulecnt=1\r\n"), 11, "rulecnt=1\r\nsubfolders=32\r\n");
        bool passedOver = false;
        readAndRun(text, passedOver, {NameClash::KeepBoth, false}, 2);
        bound.reset(); // the same files seen once
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(fs::relative(entry.path(), root).string());
        std::ranges::sort(files);
        EXPECT_EQ(files, c.after);
    }
}

// Under "replace", files whose names or sub-folders differ only where a value had to be cleaned
// ("\xFF", "\xFE" and "_" all make "_") never replace one another: each is kept.
TEST(PlaceholderDestinations, CleanedValuesNeverReplaceOneAnother) {
    struct Case {
        const char* what;
        std::vector<std::string> files; // below in/
        std::vector<std::string> actionLines;
        std::vector<std::string> after;        // every file below the test's folder
        std::vector<std::string> already = {}; // there before, below the test's folder
    };
    const std::vector<Case> cases = {
        {"sub-folders made one by {folder}",
         {"\xFF/f.txt", "\xFE/f.txt", "_/f.txt"},
         {"raction=0", "filepath=ROOT/out/{folder}"},
         {"out/_/f (2).txt", "out/_/f (3).txt", "out/_/f.txt"}},
        {"a name made one by a rename",
         {"a\x01.txt", "a_.txt"},
         {"raction=5", "newname={name}.{ext}"},
         {"in/a_ (2).txt", "in/a_.txt"}},
        {"the file an earlier cycle sent from \"\\xFF\" is kept beside one from \"_\"",
         {"_/f.txt"},
         {"raction=0", "filepath=ROOT/out/{folder}"},
         {"out/_/f (2).txt", "out/_/f.txt"},
         {"out/_/f.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const fs::path root = temp.file("root");
        fs::create_directories(root / "out");
        for (const std::string& name : c.files) {
            fs::create_directories((root / "in" / name).parent_path());
            test::writeBytes(root / "in" / name, name);
        }
        for (const std::string& name : c.already) {
            fs::create_directories((root / name).parent_path());
            test::writeBytes(root / name, "there before");
        }
        std::vector<std::string> lines = c.actionLines;
        for (std::string& line : lines)
            if (const auto at = line.find("ROOT"); at != std::string::npos)
                line.replace(at, 4, root.string());
        std::string text = configText((root / "in").string(), lines);
        text.replace(text.find("rulecnt=1\r\n"), 11, "rulecnt=1\r\nsubfolders=32\r\n");
        bool passedOver = false;
        readAndRun(text, passedOver, {NameClash::Replace, false});
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                files.push_back(fs::relative(entry.path(), root).string());
        std::ranges::sort(files);
        EXPECT_EQ(files, c.after);
    }
}

// Under "replace" a rename never takes the place of a file the rule has yet to rename: names that
// go round ("x.y" to "y.x" and "y.x" to "x.y") keep both files, whichever comes first.
TEST(PlaceholderDestinations, NamesThatGoRoundKeepBothFiles) {
    test::TempFolder temp;
    const fs::path inbox = temp.file("in");
    fs::create_directories(inbox);
    test::writeBytes(inbox / "x.y", "first");
    test::writeBytes(inbox / "y.x", "second");
    bool passedOver = false;
    readAndRun(configText(inbox.string(), {"raction=5", "newname={ext}.{name}"}), passedOver,
               {NameClash::Replace, false});
    std::vector<std::string> contents;
    for (const std::string& name : namesIn(inbox.string()))
        contents.push_back(test::readBytes(inbox / name));
    std::ranges::sort(contents);
    EXPECT_EQ(contents, (std::vector<std::string>{"first", "second"}));
}

// The folder a move put the file in is replaced by another real folder, holding the user's
// files of the same names, before the rule's rename: the rename finds another file there and
// leaves it, and the user's files, alone. Into a plain folder and into one made from the file.
TEST(PlaceholderDestinations, ALaterActionNeverTakesAnotherFileForTheOneMoved) {
    class Replacing : public test::RecordingEnvironment {
    public:
        explicit Replacing(fs::path folder) : folder_(std::move(folder)) {}
        std::optional<std::string> moveFile(const std::string& source,
                                            const std::string& destination,
                                            NameClash clash) override {
            auto placed = RecordingEnvironment::moveFile(source, destination, clash);
            if (placed && fs::path(destination).parent_path() == folder_ && !replaced_) {
                replaced_ = true;
                fs::rename(folder_, folder_.string() + "-old");
                fs::create_directory(folder_);
                test::writeBytes(folder_ / "f.txt", "user f");
                test::writeBytes(folder_ / "r-f.txt", "user r-f");
            }
            return placed;
        }

    private:
        fs::path folder_;
        bool replaced_ = false;
    };
    for (const char* destination : {"", "/{ext}"}) {
        SCOPED_TRACE(destination);
        test::TempFolder temp;
        const fs::path inbox = temp.file("in"), out = temp.file("out");
        fs::create_directories(inbox);
        fs::create_directories(out);
        test::writeBytes(inbox / "f.txt", "moved");
        const fs::path into = *destination ? out / "txt" : out;
        ServiceTable table;
        ASSERT_EQ(
            ReadConfigContent(
                configText(inbox.string(), {"raction=0", "filepath=" + out.string() + destination,
                                            "raction=5", "newname=r-{name}.{ext}"}),
                table, [](const std::string&) {}),
            0);
        table.services[0].knownready = true;
        // Through the log, as the program runs: it reads what the move placed first.
        Replacing replacing(into);
        ActivityLog log(temp.file("activity.log"));
        LoggingEnvironment environment(replacing, log);
        RunServiceTurn(table.services[0], false, {}, environment);
        EXPECT_EQ(test::readBytes(into / "f.txt"), "user f");
        EXPECT_EQ(test::readBytes(into / "r-f.txt"), "user r-f");
        EXPECT_EQ(test::readBytes(into.string() + "-old/f.txt"), "moved");
    }
}

// A drive that is not plugged in leaves its mount point an empty folder on the system disk: no
// destination there, plain or made from the file, is filled, in a cycle or foreseen.
TEST(PlaceholderDestinations, AnUnpluggedDrivesMountPointIsNeverFilled) {
    test::TempFolder temp;
    const fs::path root = fs::canonical(temp.path()), drive = root / "drive";
    fs::create_directories(drive);
    fs::create_directories(root / "in");
    std::ofstream(root / "fstab") << "LABEL=backup " << drive.string() << " ext4 noauto 0 2\n";
    const test::ScopedMount table((root / "fstab").string(), "/etc/fstab", nullptr, MS_BIND);
    if (!table.mounted())
        GTEST_SKIP() << "no private mounts here";
    struct Case {
        const char* what;
        std::vector<std::string> actionLines;
    };
    const std::vector<Case> cases = {
        {"a plain move", {"raction=0", "filepath=DRIVE"}},
        {"a plain copy", {"raction=1", "filepath=DRIVE/"}},
        {"a move into date folders", {"raction=0", "filepath=DRIVE/{year}"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::writeBytes(root / "in" / "f.txt", "f");
        std::vector<std::string> lines = c.actionLines;
        for (std::string& line : lines)
            if (const auto at = line.find("DRIVE"); at != std::string::npos)
                line.replace(at, 5, drive.string());
        bool passedOver = false;
        const auto foreseen = readAndRun(configText((root / "in").string(), lines), passedOver);
        EXPECT_TRUE(fs::is_empty(drive));
        EXPECT_TRUE(fs::exists(root / "in" / "f.txt"));
        EXPECT_TRUE(std::ranges::any_of(foreseen, [](const std::string& line) {
            return line.starts_with("failed ") && line.find(kFolderMissing) != std::string::npos;
        })) << testing::PrintToString(foreseen);
    }
}

// A rule that takes up every file at each turn (more than 0 files) renames or moves its own
// work neither in one run nor after a restart: the files it placed are noted for the next run.
TEST(PlaceholderDestinations, WorkPlacedInItsOwnFolderStaysPlacedAfterARestart) {
    struct Case {
        const char* what;
        std::vector<std::string> actionLines; // ROOT stands for the test's folder
        std::vector<std::string> after;       // every file below ROOT/in after two runs
        // Noted as placed for the next run: files in folders the rule may have made are no
        // files of the tree at all, and need no note.
        std::size_t noted;
    };
    const std::vector<Case> cases = {
        {"renamed where it lies",
         {"raction=5", "newname=r-{name}.{ext}"},
         {"r-a.txt", "s/r-b.txt"},
         2},
        {"sorted into sub-folders of its own folder",
         {"raction=0", "filepath=ROOT/in/{ext}/{folder}"},
         {"txt/a.txt", "txt/s/b.txt"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const fs::path root = temp.file("root");
        fs::create_directories(root / "in" / "s");
        test::writeBytes(root / "in" / "a.txt", "a");
        test::writeBytes(root / "in" / "s" / "b.txt", "b");
        std::vector<std::string> lines = c.actionLines;
        for (std::string& line : lines)
            if (const auto at = line.find("ROOT"); at != std::string::npos)
                line.replace(at, 4, root.string());
        std::string text = test::configText("2.00", (root / "in").string(),
                                            {{{"rcond=5", "names=*"}, 1, lines, FileCount}});
        text.replace(text.find("rulecnt=1\r\n"), 11, "rulecnt=1\r\nsubfolders=32\r\n");
        for (int run = 0; run < 2; ++run) {
            ServiceTable table;
            ASSERT_EQ(ReadConfigContent(text, table, [](const std::string&) {}), 0);
            CommandLine options;
            options.cycles = 2;
            test::RecordingEnvironment environment;
            ActivityLog log(temp.file("activity.log"));
            ASSERT_EQ(RunHeadless(
                          table, options, {}, environment, log,
                          [](std::chrono::milliseconds) { return false; }, {}, {}, {},
                          temp.file("state/placed-files")),
                      0);
        }
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root / "in"))
            if (entry.is_regular_file())
                files.push_back(fs::relative(entry.path(), root / "in").string());
        std::ranges::sort(files);
        EXPECT_EQ(files, c.after);

        // The desktop program's start lists its folders before any rule runs, without the
        // details no rule asks for yet: the placed files it read stay placed all the same.
        ServiceTable listing;
        ASSERT_EQ(ReadConfigContent(text, listing, [](const std::string&) {}), 0);
        listing.services[0].rulelist = {};
        ReadPlacedFiles(temp.file("state/placed-files"), listing);
        const std::size_t placed = listing.services[0].renamedInPlace.size();
        EXPECT_EQ(placed, c.noted);
        test::RecordingEnvironment environment;
        runMonitorCycle(listing, true, {}, environment);
        EXPECT_EQ(listing.services[0].renamedInPlace.size(), placed);
    }
}

// Undo through the real log: each move back removes the folders its move made, once they are
// empty again, and never a folder that was there before or still holds something.
TEST(PlaceholderDestinations, UndoRemovesTheFoldersItsMoveMadeWhenEmpty) {
    test::TempFolder temp;
    const fs::path inbox = temp.file("in"), out = temp.file("out");
    fs::create_directories(inbox);
    fs::create_directories(out / "2025"); // there before: never removed
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        test::writeBytes(inbox / name, name);
    test::setLocalWriteTime((inbox / "a.jpg").string(), 2026, 3, 5);
    test::setLocalWriteTime((inbox / "b.jpg").string(), 2026, 3, 5);
    test::setLocalWriteTime((inbox / "c.jpg").string(), 2025, 7, 1);
    ServiceTable table;
    ASSERT_EQ(
        ReadConfigContent(configText(inbox.string(),
                                     {"raction=0", "filepath=" + out.string() + "/{year}/{month}"}),
                          table, [](const std::string&) {}),
        0);
    table.services.at(0).knownready = true;
    const std::string logPath = temp.file("state/activity.log");
    {
        test::RecordingEnvironment real;
        ActivityLog log(logPath);
        LoggingEnvironment logging(real, log);
        RunServiceTurn(table.services.at(0), false, {}, logging);
    }
    std::istringstream lines(test::readBytes(logPath));
    std::vector<ActivityEntry> moves;
    for (std::string line; std::getline(lines, line);)
        moves.push_back(ParseActivityLine(line).value());
    ASSERT_EQ(moves.size(), 3u);
    // a and b share the folders the first of them made; c went into 2025, made 07 only.
    std::ranges::sort(moves, {}, [](const ActivityEntry& e) { return e.values.at(0); });
    for (const ActivityEntry& entry : moves)
        EXPECT_FALSE(entry.failed);
    const int madeForAB = moves[0].madeFolders + moves[1].madeFolders;
    EXPECT_EQ(madeForAB, 2);
    EXPECT_EQ(moves[2].madeFolders, 1);
    // Undone in the order the moves were made, the folders go with the last file out of them.
    for (const ActivityEntry& entry : moves)
        EXPECT_TRUE(UndoActivity(entry).done);
    EXPECT_EQ(namesIn(inbox), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_TRUE(fs::exists(out / "2025"));
    EXPECT_FALSE(fs::exists(out / "2025" / "07"));
    // The folders made for a and b: removed by whichever undo left them empty, if that undo's
    // move made them; otherwise they stay, empty.
    const bool madeByLast = moves[1].madeFolders == 2;
    EXPECT_EQ(fs::exists(out / "2026"), !madeByLast);
}

// A move or copy that fails after its folders were made leaves no empty folders behind; a
// folder that was there before, or that another file went into, stays.
TEST(PlaceholderDestinations, AFailedOperationTakesBackTheFoldersItMade) {
    // The file goes away once its folders are made, so its move or copy fails.
    class LosingEnvironment : public test::RecordingEnvironment {
    public:
        std::optional<std::string> makeFolders(const std::string& fixedFolder,
                                               const std::vector<std::string>& below,
                                               std::vector<std::string>& made) override {
            auto folder = RecordingEnvironment::makeFolders(fixedFolder, below, made);
            fs::remove(lost);
            return folder;
        }
        fs::path lost;
    };
    for (const char* action : {"raction=0", "raction=1"}) {
        SCOPED_TRACE(action);
        test::TempFolder temp;
        const fs::path inbox = temp.file("in"), out = temp.file("out");
        fs::create_directories(inbox);
        fs::create_directories(out / "2026");
        test::writeBytes(inbox / "a.jpg", "a");
        test::setLocalWriteTime((inbox / "a.jpg").string(), 2026, 3, 5);
        ServiceTable table;
        ASSERT_EQ(ReadConfigContent(
                      configText(inbox.string(),
                                 {action, "filepath=" + out.string() + "/{year}/{month}/{day}"}),
                      table, [](const std::string&) {}),
                  0);
        table.services.at(0).knownready = true;
        LosingEnvironment losing;
        losing.lost = inbox / "a.jpg";
        RunServiceTurn(table.services.at(0), false, {}, losing);
        EXPECT_EQ(namesIn(out), std::vector<std::string>{"2026"});
        EXPECT_TRUE(fs::is_empty(out / "2026"));
    }
}

TEST(PlaceholderDestinations, MadeFoldersTakeTheUsersDefaultMode) {
    test::TempFolder temp;
    const fs::path inbox = temp.file("in"), out = temp.file("out");
    fs::create_directories(inbox);
    fs::create_directories(out);
    test::writeBytes(inbox / "p.jpg", "photo");
    test::setLocalWriteTime((inbox / "p.jpg").string(), 2026, 12, 9);
    const mode_t before = ::umask(027);
    bool passedOver = false;
    readAndRun(configText(inbox.string(), {"raction=1", "filepath=" + out.string() + "/{year}"}),
               passedOver);
    ::umask(before);
    struct stat status {};
    ASSERT_EQ(::stat((out / "2026").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0750u);
    EXPECT_TRUE(fs::exists(inbox / "p.jpg")); // a copy leaves the file
}

} // namespace
} // namespace lp
