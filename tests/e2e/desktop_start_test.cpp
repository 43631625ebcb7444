// The real desktop program on Qt's offscreen platform: one instance per user, a first run that
// writes the default settings, and a lock left by a crashed instance taken over.

#include "program_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using lp::test::waitFor;
using Instance = lp::test::ProgramRun;
using lp::test::fileBytes;

class DesktopStart : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-desktop-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all); // what a runtime folder must be
        fs::create_directories(home_ / "config");
        settings_ = home_ / "config" / "Larchpost" / "settings.ini";
        config_ = home_ / "bxconf.ini";
    }
    void TearDown() override { fs::remove_all(home_); }

    std::vector<std::string> args() const { return {"StartUp", "--config", config_.string()}; }
    // Up means past the guard: the settings are written and the socket listens.
    bool firstIsUp() const {
        if (!fs::exists(settings_))
            return false;
        for (const auto& entry : fs::directory_iterator(lp::test::guardFolder(home_)))
            if (entry.is_socket())
                return true;
        return false;
    }

    fs::path home_, settings_, config_;
};

TEST_F(DesktopStart, FirstRunWritesDefaultsAndASecondInstanceEndsAtOnce) {
    Instance first(home_, args());
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(waitFor([&] { return firstIsUp() || first.status(); }));
    ASSERT_FALSE(first.status()) << "the first instance ended with " << *first.status();

    const std::string written = fileBytes(settings_);
    for (const char* line :
         {"Larchpost\\AutoStart=1", "Larchpost\\Main\\Status=0", "Larchpost\\Main\\Height=400",
          "Larchpost\\Main\\Width=440", "Larchpost\\Main\\Left=50", "Larchpost\\Main\\Top=50"})
        EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;

    // The second instance must leave settings and files exactly as they are.
    std::ofstream(settings_, std::ios::app) << "; marker\n";
    const std::string before = fileBytes(settings_);
    Instance second(home_, args());
    ASSERT_TRUE(second.started());
    EXPECT_EQ(second.waitForEnd(), 0);
    EXPECT_FALSE(first.status()) << "the first instance must keep running";
    EXPECT_EQ(fileBytes(settings_), before);
    EXPECT_FALSE(fs::exists(config_)); // nobody made an edit, so no file
}

TEST_F(DesktopStart, ALockLeftByACrashedInstanceIsTakenOver) {
    {
        Instance crashed(home_, args());
        ASSERT_TRUE(waitFor([&] { return firstIsUp() || crashed.status(); }));
        ASSERT_FALSE(crashed.status());
    } // killed outright: its lock file and socket stay behind
    ASSERT_FALSE(fs::is_empty(lp::test::guardFolder(home_)));

    fs::remove(settings_); // written again only by an instance that got past the guard
    Instance next(home_, args());
    ASSERT_TRUE(waitFor([&] { return firstIsUp() || next.status(); }));
    EXPECT_FALSE(next.status()) << "the new instance must run, not defer to a dead one";
}

// An instance killed at any moment of its start, before or after it has taken the guard, never
// keeps a later one out; a sorting run (which takes the same guard) is the later one here.
TEST_F(DesktopStart, AnInstanceKilledAtAnyMomentOfItsStartNeverBlocksTheNext) {
    // The sorting run refuses a configuration that does not exist, so it gets an empty one.
    std::ofstream(config_, std::ios::binary) << "[Main Info]\r\nVersion=1.00\r\nUseSMTP=0\r\n"
                                                "SMTP Server=\r\nReplyTo=\r\nService Count=0\r\n"
                                                "Custom Count=0\r\n";
    for (int kill = 0; kill < 24; ++kill) {
        SCOPED_TRACE(kill);
        {
            Instance killed(home_, args());
            ASSERT_TRUE(killed.started());
            std::this_thread::sleep_for(std::chrono::milliseconds(kill * 4));
        } // killed outright, wherever its start had got to
        Instance next(home_, {"--headless", "--cycles", "0", "--config", config_.string()});
        ASSERT_TRUE(next.started());
        EXPECT_EQ(next.waitForEnd(), 0) << next.output();
    }
}

} // namespace
