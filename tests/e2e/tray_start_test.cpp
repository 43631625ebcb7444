// The real desktop program started hidden, as the desktop starts it at login: it monitors its
// folders from the tray, sorts a file that arrives after the start, and keeps its auto-start
// file in line.

#include "globals/config_file.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;
using lp::test::waitFor;

class TrayStart : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-tray-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all);
        fs::create_directories(home_ / "config");
        for (const char* folder : {"watched", "sorted", "signal", "signalled"})
            fs::create_directories(home_ / folder);
    }
    void TearDown() override { fs::remove_all(home_); }

    static lp::rServiceRules folder(int number, const fs::path& path, lp::TriggerKind trigger,
                                    const fs::path& moveTo) {
        lp::rServiceRules service;
        service.serviceid = lp::kOtherService;
        service.othernum = number;
        service.othername = path.filename().string();
        service.enabled = true;
        service.sharedir = path.string();
        lp::RuleRec rule;
        rule.rulename = "Sort";
        rule.enabled = true;
        rule.mcond = trigger;
        lp::ruleactionrec move;
        move.raction = lp::rMove;
        move.racmove.filepath = moveTo.string();
        rule.actions = {move};
        rule.actioncnt = 1;
        service.rulelist = {1, {rule}};
        return service;
    }

    // The watched folder moves its new files to "sorted". A second folder, later in the table,
    // moves everything it holds to "signalled": its file arriving there tells that a whole
    // cycle has run, the one after which the watched folder's files count as known.
    void writeConfiguration() {
        lp::ServiceTable table;
        table.services = {folder(1, home_ / "watched", lp::NewFile, home_ / "sorted"),
                          folder(2, home_ / "signal", lp::FileCount, home_ / "signalled")};
        table.customCount = 2;
        ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    }
    std::string config() const { return (home_ / "bxconf.ini").string(); }
    static void drop(const fs::path& path) { std::ofstream(path) << "content"; }

    fs::path home_;
};

TEST_F(TrayStart, AHiddenStartSortsAFileThatArrivesAfterIt) {
    writeConfiguration();
    drop(home_ / "watched" / "present.txt");
    drop(home_ / "signal" / "cycle-ran");

    ProgramRun program(home_, {"startup", "--config", config()});
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(
        waitFor([&] { return fs::exists(home_ / "signalled" / "cycle-ran") || program.status(); }));
    ASSERT_FALSE(program.status()) << "the program ended with " << *program.status();

    drop(home_ / "watched" / "arrived.txt");
    ASSERT_TRUE(
        waitFor([&] { return fs::exists(home_ / "sorted" / "arrived.txt") || program.status(); }));
    EXPECT_FALSE(program.status()) << "monitoring goes on";
    EXPECT_FALSE(fs::exists(home_ / "watched" / "arrived.txt"));
    EXPECT_TRUE(fs::exists(home_ / "watched" / "present.txt")) << "present at start: not new";
    EXPECT_FALSE(fs::exists(home_ / "sorted" / "present.txt"));

    // Auto-start is on by default, so the start wrote the entry that starts it hidden again.
    const std::string entry =
        lp::test::fileBytes(home_ / "config" / "autostart" / "Larchpost.desktop");
    EXPECT_NE(entry.find("\nExec=" + std::string(LARCHPOST_EXE) + " startup\n"), std::string::npos)
        << entry;
}

} // namespace
