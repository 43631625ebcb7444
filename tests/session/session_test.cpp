// The real desktop program on a real X display with a notification area, registered with a
// session manager that speaks the session protocol: a checkpoint and a log-out that is then
// cancelled leave it sorting, with a close box that hides; only the real end of the session ends
// it.

#include "e2e/program_run.h"
#include "e2e/sorting_home.h"
#include "test_display.h"
#include "test_session_manager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;

class SessionEnd : public lp::test::SortingHome {
protected:
    explicit SessionEnd(lp::test::TestDisplay::Frames frames = lp::test::TestDisplay::Frames::None)
        : display_(frames) {}

    void SetUp() override {
        SortingHome::SetUp();
        if (HasFatalFailure())
            return;
        std::ofstream(home_ / "iceauthority").flush(); // no cookies: the manager asks for none
        ASSERT_TRUE(display_.running()) << "Xvfb (or openbox) did not start";
        ASSERT_TRUE(manager_.listening());
    }

    // The session manager runs on this thread: it reads the program's messages, and answers
    // them, only while it is pumped, so every wait pumps it.
    bool waitUntil(const std::function<bool()>& done) override { return manager_.pumpUntil(done); }

    // Starts the program and waits until it has registered with the session manager and shows
    // its window.
    std::unique_ptr<ProgramRun> startShown() {
        std::unique_ptr<ProgramRun> program = start();
        EXPECT_TRUE(program->started());
        const int registered = manager_.registeredClients();
        EXPECT_TRUE(manager_.pumpUntil([&] {
            return (manager_.registeredClients() > registered && display_.shown("Larchpost")) ||
                   program->status().has_value();
        })) << "the program did not register with the session manager";
        EXPECT_FALSE(program->status()) << program->output();
        return program;
    }

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
    std::unique_ptr<ProgramRun> program = startShown();
    ASSERT_FALSE(HasFailure());
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

// Under a window manager that frames the window: what a save request stores is the frame, the
// same whether the window is shown or hidden in the tray, and the next start puts the frame back
// where it was.
class WindowPlace : public SessionEnd {
protected:
    WindowPlace() : SessionEnd(lp::test::TestDisplay::Frames::WindowManager) {}

    // Left, Top, Width and Height as the last save stored them; zeros before any.
    lp::test::ScreenBox stored() const {
        lp::test::ScreenBox box;
        std::ifstream in(home_ / "config" / "Larchpost" / "settings.ini");
        const std::pair<const char*, int*> keys[] = {{"Left=", &box.left},
                                                     {"Top=", &box.top},
                                                     {"Width=", &box.width},
                                                     {"Height=", &box.height}};
        // The key "Software/Larchpost/Main" is the section [Software] with the rest of its path
        // before each name.
        for (std::string line; std::getline(in, line);)
            for (const auto& [key, value] : keys) {
                const std::string prefix = std::string("Larchpost\\Main\\") + key;
                if (line.rfind(prefix, 0) == 0)
                    *value = std::atoi(line.c_str() + prefix.size());
            }
        return box;
    }

    // A checkpoint, answered.
    bool checkpoint() {
        const int saves = manager_.savesDone();
        manager_.saveYourself(false);
        return manager_.pumpUntil([&] { return manager_.savesDone() == saves + 1; });
    }

    static std::string describe(const std::optional<lp::test::ScreenBox>& box) {
        if (!box)
            return "no frame";
        return std::to_string(box->width) + "x" + std::to_string(box->height) + " at " +
               std::to_string(box->left) + "," + std::to_string(box->top);
    }

    std::optional<lp::test::ScreenBox> frame() {
        const lp::test::XWindow window = display_.shownWindow("Larchpost");
        return window == 0 ? std::nullopt : display_.frameAround(window);
    }
};

TEST_F(WindowPlace, IsTheFrameShownOrHiddenAndComesBackThere) {
    std::unique_ptr<ProgramRun> program = startShown();
    ASSERT_FALSE(HasFailure());
    // The frame comes a moment after the window; checkpoints until the program has it.
    std::optional<lp::test::ScreenBox> shownFrame;
    ASSERT_TRUE(manager_.pumpUntil([&] {
        shownFrame = frame();
        return shownFrame && checkpoint() && stored() == *shownFrame;
    })) << describe(shownFrame)
        << ", stored " << describe(stored());
    // A frame it is, not the window's inner area.
    EXPECT_GT(shownFrame->height, 414);

    // Hidden in the tray: a whole cycle lets the program see the frame go, then the same again.
    display_.pressCloseBox(display_.shownWindow("Larchpost"));
    ASSERT_TRUE(manager_.pumpUntil([&] { return !display_.shown("Larchpost"); }));
    ASSERT_TRUE(cycleRuns(*program));
    ASSERT_TRUE(checkpoint());
    EXPECT_EQ(stored(), *shownFrame);

    manager_.saveYourself(true);
    ASSERT_TRUE(manager_.pumpUntil([&] { return manager_.savesDone() >= 3; }));
    manager_.die();
    ASSERT_TRUE(manager_.pumpUntil([&] { return program->status().has_value(); }));
    EXPECT_EQ(stored(), *shownFrame);

    // The next start: the frame where it was, and stored as it was.
    program = startShown();
    ASSERT_FALSE(HasFailure());
    std::optional<lp::test::ScreenBox> again;
    ASSERT_TRUE(manager_.pumpUntil([&] {
        again = frame();
        return again && again->height > 414;
    }));
    EXPECT_EQ(*again, *shownFrame);
    ASSERT_TRUE(checkpoint());
    EXPECT_EQ(stored(), *shownFrame);
    manager_.saveYourself(true);
    manager_.die();
    EXPECT_TRUE(manager_.pumpUntil([&] { return program->status().has_value(); }));
}

} // namespace
