// The real desktop program on a real X display with a notification area, registered with a
// session manager that speaks the session protocol: a checkpoint and a log-out that is then
// cancelled leave it sorting, with a close box that hides; only the real end of the session ends
// it.

#include "e2e/program_run.h"
#include "globals/config_file.h"
#include "test_display.h"
#include "test_session_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;

class SessionEnd : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-session-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all);
        for (const char* folder : {"config", "watched", "sorted", "signal", "signalled"})
            fs::create_directories(home_ / folder);
        std::ofstream(home_ / "iceauthority").flush(); // no cookies: the manager asks for none
        ASSERT_TRUE(display_.running()) << "Xvfb did not start";
        ASSERT_TRUE(manager_.listening());
        writeConfiguration();
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
    // moves everything it holds to "signalled": its file arriving there tells that a whole cycle
    // has run, the one after which the watched folder's files count as known.
    void writeConfiguration() {
        lp::ServiceTable table;
        table.services = {folder(1, home_ / "watched", lp::NewFile, home_ / "sorted"),
                          folder(2, home_ / "signal", lp::FileCount, home_ / "signalled")};
        table.customCount = 2;
        ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
        std::ofstream(home_ / "signal" / "cycle-ran") << "content";
    }
    std::string config() const { return (home_ / "bxconf.ini").string(); }

    std::unique_ptr<ProgramRun> start() {
        return std::make_unique<ProgramRun>(
            home_, std::vector<std::string>{"--config", config()}, false,
            std::vector<std::string>{"DISPLAY=" + display_.name(), "QT_QPA_PLATFORM=xcb",
                                     "SESSION_MANAGER=" + manager_.address(),
                                     "ICEAUTHORITY=" + (home_ / "iceauthority").string()});
    }

    // Waits, handling the session manager's messages, until a whole monitor cycle has run.
    bool cycleRuns(ProgramRun& program) {
        const std::string name = "cycle-" + std::to_string(++cycles_);
        std::ofstream(home_ / "signal" / name) << "content";
        return manager_.pumpUntil([&] {
            return fs::exists(home_ / "signalled" / name) || program.status().has_value();
        }) && !program.status();
    }

    // Drops a file into the watched folder and waits for the program to sort it. A folder's
    // known files are those it held when its last turn began, a file moved away included, and a
    // new file counts only when the folder holds more files than it knew: so two whole cycles
    // first, after which the folder is known to be empty.
    bool sorts(ProgramRun& program, const std::string& name) {
        if (!cycleRuns(program) || !cycleRuns(program))
            return false;
        std::ofstream(home_ / "watched" / name) << "content";
        return manager_.pumpUntil([&] {
            return fs::exists(home_ / "sorted" / name) || program.status().has_value();
        }) && !program.status();
    }

    fs::path home_;
    int cycles_ = 0;
    lp::test::TestDisplay display_;
    lp::test::TestSessionManager manager_;
};

TEST_F(SessionEnd, OnlyTheRealEndOfTheSessionEndsMonitoring) {
    std::unique_ptr<ProgramRun> program = start();
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(manager_.pumpUntil([&] {
        return (manager_.registeredClients() == 1 && display_.shown("Larchpost")) ||
               program->status().has_value();
    })) << "the program did not register with the session manager";
    ASSERT_FALSE(program->status()) << program->output();
    // The first cycle records the folder as it is; a file dropped after it is new.
    ASSERT_TRUE(manager_.pumpUntil([&] {
        return fs::exists(home_ / "signalled" / "cycle-ran") || program->status().has_value();
    }));
    ASSERT_TRUE(sorts(*program, "before-any-request"));

    // A checkpoint: save, and go on.
    manager_.saveYourself(false);
    ASSERT_TRUE(manager_.pumpUntil([&] { return manager_.savesDone() == 1; }));
    EXPECT_TRUE(fs::exists(home_ / "config" / "Larchpost" / "settings.ini"));
    EXPECT_TRUE(display_.shown("Larchpost")) << "a checkpoint leaves the window alone";
    EXPECT_TRUE(sorts(*program, "after-checkpoint"));

    // A log-out that another program cancels.
    manager_.saveYourself(true);
    ASSERT_TRUE(manager_.pumpUntil([&] { return manager_.savesDone() == 2; }));
    manager_.shutdownCancelled();
    manager_.pump(std::chrono::milliseconds(20));
    EXPECT_TRUE(sorts(*program, "after-cancelled-logout"));

    // The close box hides the window; the program goes on in the tray.
    const lp::test::XWindow window = display_.shownWindow("Larchpost");
    ASSERT_NE(window, 0u);
    display_.pressCloseBox(window);
    EXPECT_TRUE(manager_.pumpUntil([&] { return !display_.shown("Larchpost"); }));
    EXPECT_TRUE(sorts(*program, "after-close-box"));

    // The real end: save, then die.
    manager_.saveYourself(true);
    ASSERT_TRUE(manager_.pumpUntil([&] { return manager_.savesDone() == 3; }));
    manager_.die();
    EXPECT_TRUE(manager_.pumpUntil([&] { return program->status().has_value(); }));
    EXPECT_EQ(program->status(), 0) << program->output();
}

} // namespace
