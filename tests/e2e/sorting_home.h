#pragma once
// The home of a real program that sorts, for the tests that start one and wait for it to sort:
// private runtime and configuration folders, and a configuration of two folders. The watched
// folder moves its new files to "sorted". The signal folder, later in the table, moves every
// file it holds to "signalled": a file arriving there tells that a whole monitor cycle has run.
// A signal "cycle-ran" lies there before the start, for the first cycle.

#include "globals/config_file.h"
#include "program_run.h"
#include "support/one_folder_table.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace lp::test {

class SortingHome : public testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "larchpost-sorting-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
        fs::create_directories(home_ / "run");
        fs::permissions(home_ / "run", fs::perms::owner_all); // what a runtime folder must be
        for (const char* folder : {"config", "watched", "sorted", "signal", "signalled"})
            fs::create_directories(home_ / folder);
        ServiceTable table;
        table.services = {folder(1, home_ / "watched", NewFile, home_ / "sorted"),
                          folder(2, home_ / "signal", FileCount, home_ / "signalled")};
        table.customCount = 2;
        ASSERT_EQ(WriteConfigFile(config(), table), 0);
        drop(home_ / "signal" / "cycle-ran");
    }
    void TearDown() override {
        if (!home_.empty())
            std::filesystem::remove_all(home_);
    }

    std::string config() const { return (home_ / "bxconf.ini").string(); }
    static void drop(const std::filesystem::path& path) { std::ofstream(path) << "content"; }

    // Waits until done() holds, or gives up when the program seems stuck. A test whose program
    // needs an answer meanwhile (from a session manager, say) waits its own way.
    virtual bool waitUntil(const std::function<bool()>& done) { return waitFor(done); }

    // Each is false when the program ended first, or got stuck.
    // The first cycle moved the signal that lay there before the start.
    bool firstCycleRan(ProgramRun& program) {
        return arrives(program, home_ / "signalled" / "cycle-ran");
    }
    // A fresh signal goes through a whole cycle.
    bool cycleRuns(ProgramRun& program) {
        const std::string name = "cycle-" + std::to_string(++cycles_);
        drop(home_ / "signal" / name);
        return arrives(program, home_ / "signalled" / name);
    }
    // A file dropped into the watched folder is sorted.
    bool sorted(ProgramRun& program, const std::string& name) {
        drop(home_ / "watched" / name);
        return arrives(program, home_ / "sorted" / name);
    }

    std::filesystem::path home_;

private:
    static rServiceRules folder(int number, const std::filesystem::path& path, TriggerKind trigger,
                                const std::filesystem::path& moveTo) {
        rServiceRules service = OneFolderTable(path.filename().string(), path.string(),
                                               MakeRule("Sort", trigger, {MoveTo(moveTo.string())}))
                                    .services.front();
        service.othernum = number;
        return service;
    }

    bool arrives(ProgramRun& program, const std::filesystem::path& path) {
        return waitUntil(
                   [&] { return std::filesystem::exists(path) || program.status().has_value(); }) &&
               !program.status();
    }

    int cycles_ = 0;
};

} // namespace lp::test
