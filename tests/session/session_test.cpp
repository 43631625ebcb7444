// The real desktop program on a real X display with a notification area, registered with a
// session manager that speaks the session protocol: a checkpoint and a log-out that is then
// cancelled leave it sorting, with a close box that hides; only the real end of the session ends
// it.

#include "e2e/program_run.h"
#include "e2e/sorting_home.h"
#include "test_display.h"
#include "test_session_manager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;

class SessionEnd : public lp::test::SortingHome {
protected:
    void SetUp() override {
        SortingHome::SetUp();
        if (HasFatalFailure())
            return;
        std::ofstream(home_ / "iceauthority").flush(); // no cookies: the manager asks for none
        ASSERT_TRUE(display_.running()) << "Xvfb did not start";
        ASSERT_TRUE(manager_.listening());
    }

    // The session manager runs on this thread: it reads the program's messages, and answers
    // them, only while it is pumped, so every wait pumps it.
    bool waitUntil(const std::function<bool()>& done) override { return manager_.pumpUntil(done); }

    std::unique_ptr<ProgramRun> start() {
        return std::make_unique<ProgramRun>(
            home_, std::vector<std::string>{"--config", config()}, false,
            std::vector<std::string>{"DISPLAY=" + display_.name(), "QT_QPA_PLATFORM=xcb",
                                     "SESSION_MANAGER=" + manager_.address(),
                                     "ICEAUTHORITY=" + (home_ / "iceauthority").string()});
    }

    // Drops a file into the watched folder and waits for the program to sort it. A folder's
    // known files are those it held when its last turn began, a file moved away included, and a
    // new file counts only when the folder holds more files than it knew: so two whole cycles
    // first, after which the folder is known to be empty.
    bool sorts(ProgramRun& program, const std::string& name) {
        return cycleRuns(program) && cycleRuns(program) && sorted(program, name);
    }

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
    ASSERT_TRUE(firstCycleRan(*program)) << program->errors();
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
