// The real larchpost.exe without a window, on real folders whose names hold letters outside
// ASCII: files sorted, the printed lines, the activity log, the simulation and the instance guard.

#include "engine/activity_entry.h"
#include "engine/activity_log.h"
#include "engine/operation_report.h"
#include "globals/config_file.h"
#include "globals/temp_folder.h"
#include "held_open.h"
#include "platform/file_identity.h"
#include "platform/utf8_path.h"
#include "program_run.h"
#include "stored_choices_values.h"
#include "support/one_folder_table.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using lp::platform::Utf8Path;
using lp::test::ProgramRun;

constexpr std::chrono::milliseconds kNoWait{0};
// Standard output is a text stream, and text lines on Windows end so.
constexpr const char* kLineEnd = "\r\n";

// Whether a Larchpost of this user holds the instance guard.
bool guardHeld() {
    wchar_t user[257];
    DWORD length = 257;
    if (!::GetUserNameW(user, &length))
        return false;
    const std::wstring name = L"Local\\Larchpost-" + std::wstring(user, length - 1);
    const HANDLE mutex = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex == nullptr)
        return false;
    ::CloseHandle(mutex);
    return true;
}

class Headless : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Utf8Path(inbox()));
        fs::create_directories(Utf8Path(outbox()));
    }

    std::string home() const { return temp_.path().string(); }
    std::string inbox() const { return home() + "\\Eingänge ünï"; }
    std::string outbox() const { return home() + "\\Musik – 音楽"; }
    std::string config() const { return home() + "\\bxconf.ini"; }
    std::vector<std::string> run(std::initializer_list<std::string> extra) const {
        std::vector<std::string> args{"--config", config()};
        args.insert(args.end(), extra);
        return args;
    }
    static void drop(const std::string& path) { lp::test::writeBytes(Utf8Path(path), "music"); }
    static bool exists(const std::string& path) { return fs::exists(Utf8Path(path)); }

    // One folder whose .mp3 files all move to the out folder, in every cycle.
    void writeConfiguration(std::uint8_t trigger) {
        lp::ServiceTable table = lp::test::OneFolderTable(
            "Music", inbox(),
            lp::test::MakeRule("Sort mp3", trigger, {lp::test::MoveTo(outbox())},
                               {lp::test::ExtensionIs("mp3")}));
        ASSERT_EQ(lp::WriteConfigFile(config(), table), 0);
    }

    lp::test::TempFolder temp_;
};

TEST_F(Headless, ACountedRunMovesTheFilesAndPrintsWindowsPaths) {
    writeConfiguration(lp::FileCount);
    drop(inbox() + "\\Grüße.mp3");
    drop(inbox() + "\\notes.txt");
    ProgramRun program(temp_.path(),
                       run({"--headless", "--interval", "0", "--cycles", "1", "--verbose"}));
    ASSERT_TRUE(program.started());
    EXPECT_EQ(program.waitForEnd(), 0) << program.errors();
    EXPECT_TRUE(exists(outbox() + "\\Grüße.mp3"));
    EXPECT_FALSE(exists(inbox() + "\\Grüße.mp3"));
    EXPECT_TRUE(exists(inbox() + "\\notes.txt"));
    EXPECT_EQ(program.output(), "move " + lp::QuoteValue(inbox() + "\\Grüße.mp3") + ' ' +
                                    lp::QuoteValue(outbox() + "\\Grüße.mp3") + kLineEnd);
}

TEST_F(Headless, ARunWritesEachMoveIntoTheActivityLogWithTheFileItLeft) {
    writeConfiguration(lp::FileCount);
    drop(inbox() + "\\Grüße.mp3");
    ProgramRun program(temp_.path(), run({"--headless", "--interval", "0", "--cycles", "1"}));
    ASSERT_TRUE(program.started());
    ASSERT_EQ(program.waitForEnd(), 0) << program.errors();
    const std::string logPath = lp::ActivityLog::DefaultPath();
    ASSERT_FALSE(logPath.empty());
    // The log lives in the user's own folder, which the other runs of these tests share: only
    // the lines about this test's files count.
    std::istringstream log(lp::test::readBytes(Utf8Path(logPath)));
    std::vector<lp::ActivityEntry> ours;
    for (std::string line; std::getline(log, line);)
        if (auto entry = lp::ParseActivityLine(line);
            entry && !entry->values.empty() && entry->values.front().starts_with(inbox()))
            ours.push_back(*entry);
    ASSERT_EQ(ours.size(), 1u) << logPath;
    const lp::ActivityEntry& entry = ours.front();
    EXPECT_EQ(entry.folder, "Music");
    EXPECT_EQ(entry.rule, "Sort mp3");
    EXPECT_FALSE(entry.failed);
    EXPECT_EQ(entry.action, "move");
    EXPECT_EQ(entry.values,
              (std::vector<std::string>{inbox() + "\\Grüße.mp3", outbox() + "\\Grüße.mp3"}));
    ASSERT_TRUE(entry.identity);
    EXPECT_EQ(entry.identity->size, 5u);
    // The identity is of the moved file, so that an undo can tell it is still the same.
    EXPECT_EQ(entry.identity, lp::platform::IdentifyFile(outbox() + "\\Grüße.mp3"));
}

TEST_F(Headless, ASimulationPrintsWhatItWouldDoAndChangesNothing) {
    writeConfiguration(lp::NewFile);
    drop(inbox() + "\\Ärger.mp3");
    const std::string before = lp::test::readBytes(Utf8Path(config()));
    ProgramRun simulation(temp_.path(), run({"--simulate"}));
    EXPECT_EQ(simulation.waitForEnd(), 0) << simulation.errors();
    EXPECT_EQ(simulation.output(), "move " + lp::QuoteValue(inbox() + "\\Ärger.mp3") + ' ' +
                                       lp::QuoteValue(outbox() + "\\Ärger.mp3") + kLineEnd);
    EXPECT_TRUE(exists(inbox() + "\\Ärger.mp3"));
    EXPECT_TRUE(fs::is_empty(Utf8Path(outbox())));
    EXPECT_EQ(lp::test::readBytes(Utf8Path(config())), before);
}

TEST_F(Headless, AFileAnotherProgramIsWritingStaysUntilItIsClosed) {
    writeConfiguration(lp::FileCount);
    const std::string download = inbox() + "\\Lied.mp3";
    drop(download);
    const auto sortOnce = [&] {
        ProgramRun program(temp_.path(),
                           run({"--headless", "--interval", "0", "--cycles", "1", "--verbose"}));
        EXPECT_EQ(program.waitForEnd(), 0) << program.errors();
        return program.output();
    };
    {
        const lp::test::HeldOpen writer(Utf8Path(download), lp::test::OpenFor::Writing);
        ASSERT_TRUE(writer.held());
        EXPECT_EQ(sortOnce(), "") << "nothing is done while it is being written";
        EXPECT_TRUE(exists(download));
    }
    EXPECT_EQ(sortOnce(), "move " + lp::QuoteValue(download) + ' ' +
                              lp::QuoteValue(outbox() + "\\Lied.mp3") + kLineEnd);
    EXPECT_FALSE(exists(download));
}

TEST_F(Headless, OnlyOneInstanceSortsAtATime) {
    writeConfiguration(lp::NewFile);
    ProgramRun first(temp_.path(), run({"--headless", "--interval", "100000"}));
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(lp::test::waitFor([&] { return guardHeld() || first.waitForEnd(kNoWait); }));
    ASSERT_FALSE(first.waitForEnd(kNoWait)) << first.errors();
    ProgramRun simulation(temp_.path(), run({"--simulate"}));
    EXPECT_EQ(simulation.waitForEnd(), 0) << "a simulation may run beside it";
    ProgramRun second(temp_.path(), run({"--headless", "--cycles", "1"}));
    EXPECT_EQ(second.waitForEnd(), 1);
    EXPECT_NE(second.errors().find("already running"), std::string::npos) << second.errors();
    first.kill();
}

TEST_F(Headless, TheOptionsDialogsChoicesInTheRegistryAreFollowed) {
    writeConfiguration(lp::FileCount);
    lp::test::writeBytes(Utf8Path(outbox() + "\\Grüße.mp3"), "older");
    drop(inbox() + "\\Grüße.mp3");
    lp::test::StoredChoicesValues choices;
    ASSERT_TRUE(choices.setText(L"NameClash", L"keep-both"));
    ASSERT_TRUE(choices.setText(L"DeleteToTrash", L"perhaps"));
    ProgramRun program(temp_.path(),
                       run({"--headless", "--interval", "0", "--cycles", "1", "--verbose"}));
    ASSERT_EQ(program.waitForEnd(), 0) << program.errors();
    EXPECT_EQ(program.output(), "move " + lp::QuoteValue(inbox() + "\\Grüße.mp3") + ' ' +
                                    lp::QuoteValue(outbox() + "\\Grüße (2).mp3") + kLineEnd);
    EXPECT_EQ(lp::test::readBytes(Utf8Path(outbox() + "\\Grüße.mp3")), "older");
    EXPECT_EQ(program.errors(),
              "larchpost: " + lp::platform::StoredChoicesPlace() +
                  ": [Options] DeleteToTrash=perhaps is not understood (false or true); false "
                  "is used." +
                  kLineEnd);
}

} // namespace
