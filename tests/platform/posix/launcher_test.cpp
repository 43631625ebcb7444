// Starting a real program: the arguments arrive exactly as given, and no shell is involved.

#include "globals/temp_folder.h"
#include "platform/launcher.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Waits for the program, which is not waited for by the launcher; only a guard against a hang.
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 3000 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(50ms); // let the writer finish its line
    return fs::exists(path);
}

TEST(Launcher, AScriptReceivesItsArgumentsUntouched) {
    test::TempFolder temp;
    const std::string script = temp.file("record.sh");
    const std::string output = temp.file("args.txt");
    test::writeBytes(script,
                     "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$0.tmp\"\n"
                     "mv \"$0.tmp\" " +
                         output + "\n");
    fs::permissions(script, fs::perms::owner_all);
    const std::vector<std::string> arguments{"-q", "two words", "$(touch pwned)", "a\"b", ""};
    ASSERT_FALSE(StartProgram(script, arguments));
    ASSERT_TRUE(waitForFile(output));
    EXPECT_EQ(test::readBytes(output), "[-q]\n[two words]\n[$(touch pwned)]\n[a\"b]\n[]\n");
    EXPECT_FALSE(fs::exists(temp.file("pwned")));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST(Launcher, ProgramsAreFoundOnThePathAndMissingOnesFail) {
    test::TempFolder temp;
    const std::string marker = temp.file("marker");
    EXPECT_FALSE(StartProgram("touch", {marker}));
    EXPECT_TRUE(waitForFile(marker));
    EXPECT_TRUE(StartProgram("no-such-program-anywhere", {}));
    EXPECT_TRUE(StartProgram(temp.file("missing"), {}));
    EXPECT_TRUE(StartProgram("", {}));
}

TEST(Launcher, AProgramGetsNoInputNorOutputOfOursButKeepsOurErrorsAndLeavesNoChild) {
    test::TempFolder temp;
    const std::string script = temp.file("streams.sh");
    const std::string output = temp.file("streams.txt");
    // The shell's own streams, read while nothing of its own is redirected.
    test::writeBytes(script, "#!/bin/sh\n"
                             "streams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
                             "echo \"$streams\" > \"$0.tmp\"\n"
                             "mv \"$0.tmp\" " +
                                 output + "\n");
    fs::permissions(script, fs::perms::owner_all);
    ASSERT_FALSE(StartProgram(script, {}));
    ASSERT_TRUE(waitForFile(output));
    EXPECT_EQ(test::readBytes(output),
              "/dev/null\n/dev/null\n" + fs::read_symlink("/proc/self/fd/2").string() + '\n');
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "a child of ours is left, finished or not";
    EXPECT_EQ(errno, ECHILD);
}

} // namespace
} // namespace lp::platform
