// The real executable without a window: cycles on a temporary folder, files dropped in between,
// results checked on disk and in the printed lines.

#include "globals/config_file.h"
#include "program_run.h"
#include "support/one_folder_table.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;
using lp::test::waitFor;

class Headless : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-headless-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all);
        fs::create_directories(home_ / "config");
        fs::create_directories(inbox());
        fs::create_directories(outbox());
    }
    void TearDown() override { fs::remove_all(home_); }

    fs::path inbox() const { return home_ / "in"; }
    fs::path outbox() const { return home_ / "out"; }
    std::string config() const { return (home_ / "bxconf.ini").string(); }

    // One folder whose new .mp3 files move to the out folder, and are then handed to a program.
    void writeConfiguration(const std::string& program = "true") {
        lp::ServiceTable table = lp::test::OneFolderTable(
            "Music", inbox().string(),
            lp::test::MakeRule(
                "Sort mp3", lp::NewFile,
                {lp::test::MoveTo(outbox().string()), lp::test::Launching(program, "--add mfile")},
                {lp::test::ExtensionIs("mp3")}));
        table.services[0].excludefiles = "*.part";
        ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    }
    static void drop(const fs::path& path) { std::ofstream(path) << "music"; }
    std::vector<std::string> run(std::initializer_list<std::string> extra) const {
        std::vector<std::string> args{"--config", config()};
        args.insert(args.end(), extra);
        return args;
    }

    fs::path home_;
};

TEST_F(Headless, FilesThatArriveBetweenCyclesAreSorted) {
    writeConfiguration();
    drop(inbox() / "present.mp3");
    ProgramRun program(home_, run({"--headless", "--interval", "200", "--verbose"}));
    ASSERT_TRUE(program.started());
    // The first cycle only records what is there. When it runs is not for a test to know, so
    // files keep arriving until one has been sorted.
    drop(inbox() / "new.txt");
    drop(inbox() / "loading.mp3.part");
    int dropped = 0;
    ASSERT_TRUE(waitFor([&] {
        if (!fs::is_empty(outbox()) || program.status())
            return true;
        drop(inbox() / ("new-" + std::to_string(++dropped) + ".mp3"));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return false;
    }));
    EXPECT_FALSE(program.status()) << "still running until asked to stop";
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForEnd(), 0);

    EXPECT_TRUE(fs::exists(inbox() / "present.mp3")) << "present at start-up: not new";
    EXPECT_TRUE(fs::exists(inbox() / "new.txt"));
    EXPECT_TRUE(fs::exists(inbox() / "loading.mp3.part"));
    const std::string output = program.output();
    for (const auto& entry : fs::directory_iterator(outbox())) {
        const std::string name = entry.path().filename().string();
        const std::string from = (inbox() / name).string(), to = entry.path().string();
        // All moves of a cycle come before its launches.
        EXPECT_NE(output.find("move \"" + from + "\" \"" + to + "\"\n"), std::string::npos)
            << output;
        EXPECT_NE(output.find("launch \"true\" \"--add\" \"" + to + "\"\n"), std::string::npos)
            << output;
        EXPECT_FALSE(fs::exists(inbox() / name));
    }
}

TEST_F(Headless, ACountedRunEndsByItselfAndFailuresAreMarked) {
    // FileCount fires in every cycle, the first one too.
    lp::ServiceTable table = lp::test::OneFolderTable(
        "inbox", inbox().string(),
        lp::test::MakeRule("Sort", lp::FileCount,
                           {lp::test::MoveTo((home_ / "missing").string()),
                            lp::test::Launching("no-such-program-anywhere", "mfile")}));
    ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    drop(inbox() / "a");

    ProgramRun program(home_, run({"--headless", "--interval", "0", "--cycles", "2", "--verbose"}));
    EXPECT_EQ(program.waitForEnd(), 0);
    const std::string from = (inbox() / "a").string(), to = (home_ / "missing" / "a").string();
    // The file whose move failed is passed over by the launch that follows it.
    const std::string cycle = "failed move \"" + from + "\" \"" + to +
                              "\" # reason=\"the destination folder is missing\"\n";
    EXPECT_EQ(program.output(), cycle + cycle);
    EXPECT_TRUE(fs::exists(inbox() / "a"));

    ProgramRun none(home_, run({"--headless", "--cycles", "0", "--verbose"}));
    EXPECT_EQ(none.waitForEnd(), 0);
    EXPECT_EQ(none.output(), "");
}

// A file whose operation the desktop program stopped at its end (its Exit, the session's end)
// is new to the next start, whichever program that is; a file merely there at the start is not.
TEST_F(Headless, AFileAnEarlierRunStoppedIsSortedAtTheStart) {
    writeConfiguration();
    const fs::path note = home_ / "state" / "Larchpost" / "stopped-files";
    for (const bool noted : {false, true}) {
        fs::remove_all(home_ / "state");
        drop(inbox() / "song.mp3");
        if (noted) {
            fs::create_directories(note.parent_path());
            std::ofstream(note, std::ios::binary) << (inbox() / "song.mp3").string() << '\0';
        }
        ProgramRun program(home_, run({"--headless", "--interval", "0", "--cycles", "1"}));
        EXPECT_EQ(program.waitForEnd(), 0);
        EXPECT_EQ(fs::exists(outbox() / "song.mp3"), noted) << "noted: " << noted;
        EXPECT_EQ(fs::exists(inbox() / "song.mp3"), !noted) << "noted: " << noted;
        EXPECT_FALSE(fs::exists(note)) << "taken up once";
    }
}

TEST_F(Headless, BadValuesAreRefusedBeforeAnythingRuns) {
    writeConfiguration();
    drop(inbox() / "a.mp3");
    for (const char* interval : {"86400001", "18446744073709551616", "-5"}) {
        ProgramRun program(home_, run({"--headless", "--interval", interval, "--verbose"}));
        EXPECT_EQ(program.waitForEnd(), 2) << interval;
        EXPECT_EQ(program.output(), "") << interval;
    }
    EXPECT_TRUE(fs::exists(inbox() / "a.mp3"));
}

TEST_F(Headless, ASimulationPrintsWhatItWouldDoAndChangesNothing) {
    writeConfiguration();
    drop(inbox() / "a.mp3");
    drop(inbox() / "b.txt");
    const std::string before = lp::test::fileBytes(config());
    ProgramRun sorting(home_, run({"--headless"})); // a simulation may run beside it
    ASSERT_TRUE(
        waitFor([&] { return !fs::is_empty(lp::test::guardFolder(home_)) || sorting.status(); }));
    ProgramRun simulation(home_, run({"--simulate"}));
    EXPECT_EQ(simulation.waitForEnd(), 0);
    const std::string from = (inbox() / "a.mp3").string(), to = (outbox() / "a.mp3").string();
    EXPECT_EQ(simulation.output(),
              "move \"" + from + "\" \"" + to + "\"\nlaunch \"true\" \"--add\" \"" + to + "\"\n");
    EXPECT_TRUE(fs::exists(inbox() / "a.mp3"));
    EXPECT_TRUE(fs::is_empty(outbox()));
    EXPECT_EQ(lp::test::fileBytes(config()), before);
}

TEST_F(Headless, OnlyOneInstanceSortsAtATime) {
    writeConfiguration();
    ProgramRun first(home_, run({"--headless"}));
    ASSERT_TRUE(
        waitFor([&] { return !fs::is_empty(lp::test::guardFolder(home_)) || first.status(); }));
    ASSERT_FALSE(first.status());
    ProgramRun second(home_, run({"--headless"}));
    EXPECT_EQ(second.waitForEnd(), 1);
    // Without any display, the desktop program sorts as the headless one would: here it finds
    // the first one running and defers to it.
    ProgramRun desktop(home_, run({}), false);
    EXPECT_EQ(desktop.waitForEnd(), 1);
    first.signal(SIGINT);
    EXPECT_EQ(first.waitForEnd(), 0);
}

// The guard is the user's whatever the environment a start is given: as cron, su or sudo -u start
// it, or with another home, cache folder or user name, a second start finds the first running.
TEST_F(Headless, ASecondStartInAnotherEnvironmentFindsTheFirstRunning) {
    writeConfiguration();
    const std::string elsewhere = (home_ / "elsewhere").string();
    fs::create_directories(elsewhere);
    const std::vector<std::string> environments[] = {
        {"XDG_RUNTIME_DIR"},
        {"XDG_RUNTIME_DIR=" + elsewhere},
        {"USER=other", "LOGNAME=other"},
        {"HOME=" + elsewhere},
        {"XDG_CACHE_HOME=" + elsewhere},
        {"XDG_RUNTIME_DIR", "HOME", "USER", "LOGNAME", "XDG_CACHE_HOME"},
    };
    ProgramRun first(home_, run({"--headless"}));
    ASSERT_TRUE(
        waitFor([&] { return !fs::is_empty(lp::test::guardFolder(home_)) || first.status(); }));
    ASSERT_FALSE(first.status());
    for (const std::vector<std::string>& environment : environments) {
        std::string described;
        for (const std::string& entry : environment)
            described += entry + " ";
        ProgramRun second(home_, run({"--headless"}), true, environment);
        EXPECT_EQ(second.waitForEnd(), 1) << described;
        EXPECT_NE(second.errors().find("already running"), std::string::npos)
            << described << second.errors();
    }
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "no guard of its own elsewhere";
    first.signal(SIGINT);
    EXPECT_EQ(first.waitForEnd(), 0);
}

TEST_F(Headless, AStopRequestLetsTheCycleInProgressFinish) {
    // FileCount moves every file in the first cycle already.
    lp::ServiceTable table = lp::test::OneFolderTable(
        "inbox", inbox().string(),
        lp::test::MakeRule("Sort", lp::FileCount, {lp::test::MoveTo(outbox().string())}));
    ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    // Enough files that the request most likely arrives while they are being moved.
    constexpr int kFiles = 5000;
    for (int i = 0; i < kFiles; ++i)
        drop(inbox() / ("f" + std::to_string(i)));

    ProgramRun program(home_, run({"--headless", "--interval", "0", "--verbose"}));
    ASSERT_TRUE(waitFor([&] { return !program.output().empty() || program.status(); }));
    program.signal(SIGTERM);
    EXPECT_EQ(program.waitForEnd(), 0);
    EXPECT_TRUE(fs::is_empty(inbox())) << "the cycle was cut short";
    const auto moved = std::distance(fs::directory_iterator(outbox()), fs::directory_iterator());
    EXPECT_EQ(moved, kFiles);
    const std::string output = program.output();
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), kFiles) << "one whole line each";
}

// The desktop program's pause is no reason for the program without a window to stop sorting.
TEST_F(Headless, APauseStoredByTheDesktopProgramDoesNotStopIt) {
    fs::create_directories(home_ / "config" / "Larchpost");
    std::ofstream(home_ / "config" / "Larchpost" / "settings.ini") << "[Options]\nPaused=true\n";
    // FileCount fires in the first cycle.
    lp::ServiceTable table = lp::test::OneFolderTable(
        "inbox", inbox().string(),
        lp::test::MakeRule("Sort", lp::FileCount, {lp::test::MoveTo(outbox().string())}));
    ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    drop(inbox() / "a");

    ProgramRun program(home_, run({"--headless", "--interval", "0", "--cycles", "1"}));
    EXPECT_EQ(program.waitForEnd(), 0);
    EXPECT_TRUE(fs::exists(outbox() / "a"));
    EXPECT_FALSE(fs::exists(inbox() / "a"));
}

} // namespace

namespace {

std::vector<std::string> linesOf(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(Headless, TheRunLogsItsOperationsAndFollowsTheStoredOptions) {
    // A file-count rule fires in every cycle, the first one too.
    lp::ServiceTable table = lp::test::OneFolderTable(
        "Inbox", inbox().string(),
        lp::test::MakeRule("File away", lp::FileCount, {lp::test::MoveTo(outbox().string())}));
    ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    fs::create_directories(home_ / "config/Larchpost");
    std::ofstream(home_ / "config/Larchpost/settings.ini")
        << "[Options]\nNameClash=keep-both\nDeleteToTrash=perhaps\n";
    drop(inbox() / "a.mp3");
    std::ofstream(outbox() / "a.mp3") << "older";

    // The simulation foresees the name and logs nothing.
    ProgramRun simulation(home_, run({"--simulate"}));
    EXPECT_EQ(simulation.waitForEnd(), 0);
    const std::string from = (inbox() / "a.mp3").string(), to = (outbox() / "a (2).mp3").string();
    EXPECT_EQ(simulation.output(), "move \"" + from + "\" \"" + to + "\"\n");
    const fs::path log = home_ / "state/Larchpost/activity.log";
    EXPECT_FALSE(fs::exists(log));

    ProgramRun program(home_, run({"--headless", "--interval", "0", "--cycles", "2"}));
    EXPECT_EQ(program.waitForEnd(), 0);
    EXPECT_EQ(lp::test::fileBytes((outbox() / "a.mp3").string()), "older");
    EXPECT_EQ(lp::test::fileBytes(to), "music");
    const std::vector<std::string> lines = linesOf(log);
    ASSERT_EQ(lines.size(), 1u);
    // 2026-12-08T09:12:33+01:00 "Inbox" "File away" move "<from>" "<to>" # size=5 mtime=...
    const std::string expected =
        " \"Inbox\" \"File away\" move \"" + from + "\" \"" + to + "\" # size=5 mtime=";
    EXPECT_TRUE(lines[0].substr(25).starts_with(expected)) << lines[0];
    // The value not understood is said once, and counts as the default.
    const std::string errors = program.errors();
    EXPECT_NE(errors.find("DeleteToTrash=perhaps"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("DeleteToTrash", errors.find("DeleteToTrash") + 1), std::string::npos)
        << errors;
}

} // namespace

TEST_F(Headless, ASimulationOfOneFolderSaysItsCountingAndRefusesAnUnknownFolder) {
    // Music (line 1) moves its mp3 files out; Docs (line 2), which is off, copies its files.
    writeConfiguration();
    lp::ServiceTable table;
    ASSERT_EQ(lp::ReadConfigFile(config(), table, [](const std::string&) {}), 0);
    const fs::path docs = home_ / "docs";
    fs::create_directories(docs);
    lp::rServiceRules second =
        lp::test::OneFolderTable(
            "Docs", docs.string(),
            lp::test::MakeRule("Keep a copy", lp::NewFile, {lp::test::CopyTo(outbox().string())}))
            .services[0];
    second.othernum = 2;
    second.enabled = false;
    table.services.push_back(second);
    table.customCount = 2;
    ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    drop(inbox() / "a.mp3");
    drop(docs / "d.txt");
    const std::string musicLine =
        "move \"" + (inbox() / "a.mp3").string() + "\" \"" + (outbox() / "a.mp3").string() +
        "\"\nlaunch \"true\" \"--add\" \"" + (outbox() / "a.mp3").string() + "\"\n";
    const std::string docsLine =
        "copy \"" + (docs / "d.txt").string() + "\" \"" + (outbox() / "d.txt").string() + "\"\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string output;
        std::string errorsHold;
    } cases[] = {
        {{"--simulate"},
         0,
         musicLine,
         "simulating every folder that is on: every file now in them "
         "counts as new, as if it had just arrived."},
        {{"--simulate", "--folder", "Docs"},
         0,
         docsLine,
         "simulating the folder \"Docs\" (off: the running program does not sort it)"},
        {{"--folder", "1", "--simulate"}, 0, musicLine, "these lines are not what it will do next"},
        {{"--simulate", "--folder", "3"},
         2,
         "",
         "larchpost: --folder: there is no folder number \"3\"; the folders are 1 \"Music\", 2 "
         "\"Docs\"."},
        {{"--simulate", "--folder", "docs"}, 2, "", "no folder is named \"docs\""},
        {{"--headless", "--folder", "1"}, 2, "", "Option --folder works only with --simulate."},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--config", config()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ProgramRun program(home_, args);
        EXPECT_EQ(program.waitForEnd(), c.status) << c.args.back();
        EXPECT_EQ(program.output(), c.output) << c.args.back();
        EXPECT_NE(program.errors().find(c.errorsHold), std::string::npos) << program.errors();
    }
    EXPECT_TRUE(fs::exists(inbox() / "a.mp3"));
    EXPECT_TRUE(fs::is_empty(outbox()));
}
