// The real desktop program started hidden, as the desktop starts it at login: it monitors its
// folders from the tray, sorts a file that arrives after the start, and keeps its auto-start
// file in line.

#include "program_run.h"
#include "sorting_home.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;

using TrayStart = lp::test::SortingHome;

TEST_F(TrayStart, AHiddenStartSortsAFileThatArrivesAfterIt) {
    drop(home_ / "watched" / "present.txt");

    ProgramRun program(home_, {"startup", "--config", config()});
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(firstCycleRan(program)) << "status " << program.status().value_or(-1) << '\n'
                                        << program.errors();

    EXPECT_TRUE(sorted(program, "arrived.txt")) << program.errors();
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
