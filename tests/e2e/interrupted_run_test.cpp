// The real headless program killed part way through a cycle that moves many files: what it did
// is in the activity log, and the next start leaves every file once, whole, under its own name or
// at its destination, with no name of ours left and the log telling what was set right.
// LARCHPOST_KILL_ROUNDS sets how many kills the test across file systems makes (a few by default,
// to stay quick; scripts/kill-during-moves runs many more).

#include "engine/activity_entry.h"
#include "engine/move_recovery.h"
#include "globals/config_file.h"
#include "program_run.h"
#include "support/one_folder_table.h"
#include "support/posix/private_mounts.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using lp::test::fileBytes;
using lp::test::ProgramRun;
using lp::test::waitFor;

class InterruptedRun : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-killed-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        for (const char* folder : {"run", "config", "in", "out"})
            fs::create_directories(home_ / folder);
        fs::permissions(home_ / "run", fs::perms::owner_all);
        writeConfiguration();
    }
    void TearDown() override { fs::remove_all(home_); }

    fs::path in() const { return home_ / "in"; }
    fs::path out() const { return home_ / "out"; }
    fs::path logPath() const { return home_ / "state" / "Larchpost" / "activity.log"; }
    std::vector<std::string> args(std::initializer_list<std::string> extra) const {
        std::vector<std::string> all{"--config", (home_ / "bxconf.ini").string()};
        all.insert(all.end(), extra);
        return all;
    }

    // A folder whose every file moves to "out".
    void writeConfiguration() {
        lp::ServiceTable table =
            lp::test::OneFolderTable("Inbox", in().string(),
                                     lp::test::MakeRule("Everything out", lp::FileCount,
                                                        {lp::test::MoveTo(out().string())}));
        ASSERT_EQ(lp::WriteConfigFile((home_ / "bxconf.ini").string(), table), 0);
    }

    // count files of the given largest size in "in", each with content of its own; by name.
    std::map<std::string, std::string> fill(std::size_t count, std::size_t largest) {
        std::map<std::string, std::string> files;
        std::mt19937 random(static_cast<unsigned>(count * 7919 + largest));
        for (std::size_t i = 0; i < count; ++i) {
            const std::string name = "file-" + std::to_string(i) + ".dat";
            std::string content = name + '\n';
            content.resize(1 + random() % largest, static_cast<char>('a' + i % 26));
            std::ofstream(in() / name, std::ios::binary) << content;
            files.emplace(name, std::move(content));
        }
        return files;
    }

    // Starts the program and kills it once it has begun moving and a further random while.
    void runAndKill(std::chrono::microseconds before) {
        ProgramRun program(home_, args({"--headless", "--interval", "0"}));
        ASSERT_TRUE(program.started());
        ASSERT_TRUE(waitFor([&] { return !fs::is_empty(out()) || program.status().has_value(); }));
        std::this_thread::sleep_for(before);
        program.signal(SIGKILL);
        program.waitForEnd();
    }

    // The next start, which only sets right what the killed one left.
    void startAgain() {
        ProgramRun program(home_, args({"--headless", "--cycles", "0"}));
        ASSERT_TRUE(program.started());
        EXPECT_EQ(program.waitForEnd(), 0) << program.errors();
    }

    std::vector<lp::ActivityEntry> logged() const {
        std::vector<lp::ActivityEntry> entries;
        std::istringstream lines(fileBytes(logPath()));
        for (std::string line; std::getline(lines, line);)
            if (auto entry = lp::ParseActivityLine(line))
                entries.push_back(std::move(*entry));
        return entries;
    }

    // Every file once, whole, in "in" or "out"; nothing else there. Gives the names in "out".
    std::set<std::string> checkEveryFileOnce(const std::map<std::string, std::string>& files) {
        std::set<std::string> moved;
        for (const fs::path& folder : {in(), out()})
            for (const auto& entry : fs::directory_iterator(folder)) {
                const std::string name = entry.path().filename().string();
                EXPECT_EQ(name.rfind(".larchpost-", 0), std::string::npos) << entry.path();
                const auto file = files.find(name);
                if (file == files.end()) {
                    ADD_FAILURE() << "unexpected " << entry.path();
                    continue;
                }
                EXPECT_EQ(fileBytes(entry.path()), file->second) << entry.path();
                if (folder == out())
                    moved.insert(name);
            }
        for (const auto& [name, content] : files)
            EXPECT_NE(fs::exists(in() / name), fs::exists(out() / name)) << name;
        return moved;
    }

    fs::path home_;
};

TEST_F(InterruptedRun, EveryMoveDoneBeforeAKillIsInTheLog) {
    // Enough files that the kill falls in the cycle; a round that finished first says nothing.
    bool killedMidway = false;
    for (int round = 0; round < 5 && !killedMidway; ++round) {
        fs::remove_all(home_ / "state");
        const auto files = fill(4000, 8);
        runAndKill(std::chrono::milliseconds(5 + 10 * round));
        const auto moved = checkEveryFileOnce(files);
        killedMidway = !moved.empty() && moved.size() < files.size();
        std::set<std::string> movesLogged;
        for (const auto& entry : logged())
            if (entry.action == "move" && !entry.failed)
                movesLogged.insert(fs::path(entry.values.at(1)).filename().string());
        // The move under way at the kill may have been done without its line.
        std::size_t unlogged = 0;
        for (const std::string& name : moved)
            unlogged += movesLogged.count(name) == 0;
        EXPECT_LE(unlogged, 1u) << moved.size() << " moved";
        for (const std::string& name : movesLogged)
            EXPECT_TRUE(moved.count(name)) << name << " logged as moved but not there";
        for (const auto& entry : fs::directory_iterator(out()))
            fs::rename(entry.path(), in() / entry.path().filename());
    }
    EXPECT_TRUE(killedMidway) << "no kill fell within the cycle";
}

TEST_F(InterruptedRun, KillsDuringMovesAcrossFileSystemsLeaveEveryFileOnceWhereItBelongs) {
    lp::test::ScopedMount other("none", out().string(), "tmpfs", 0);
    if (!other.mounted())
        GTEST_SKIP() << "needs a second file system: run as root, which may mount one";
    const char* asked = std::getenv("LARCHPOST_KILL_ROUNDS");
    const int rounds = asked ? std::max(1, std::atoi(asked)) : 4;
    std::mt19937 random(std::random_device{}());
    int recovered = 0;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        for (const fs::path& folder : {in(), out()})
            for (const auto& entry : fs::directory_iterator(folder))
                fs::remove(entry.path());
        fs::remove_all(home_ / "state");
        const auto files = fill(300, 16 * 1024);
        runAndKill(std::chrono::microseconds(random() % 30'000));
        startAgain();
        const auto moved = checkEveryFileOnce(files);
        std::set<std::string> movesLogged;
        for (const auto& entry : logged()) {
            recovered += entry.rule == lp::kRecoveredRule;
            if (entry.action == "move" && !entry.failed)
                movesLogged.insert(fs::path(entry.values.at(1)).filename().string());
        }
        // The move under way at the kill may have ended without its line.
        std::size_t unlogged = 0;
        for (const std::string& name : moved)
            unlogged += movesLogged.count(name) == 0;
        EXPECT_LE(unlogged, 1u);
        for (const std::string& name : movesLogged)
            EXPECT_TRUE(moved.count(name)) << name << " logged as moved but not there";
        if (HasFailure())
            break;
    }
    std::cout << recovered << " lines of what was set right in " << rounds << " rounds\n";
}

} // namespace
