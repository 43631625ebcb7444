// A POSIX shell given the file's path as an argument takes it as data, whatever the name holds.

#include "engine/launch_arguments.h"
#include "globals/temp_folder.h"
#include "platform/launcher.h"
#include "platform/parameter_words.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace lp {
namespace {

namespace fs = std::filesystem;

TEST(LaunchArguments, AShellGivenTheFileAsAnArgumentRunsNothingFromItsName) {
    test::TempFolder temp;
    const std::string output = temp.file("received");
    const std::string name = temp.file("x\"; touch pwned; \"$(touch pwned2)`touch pwned3`.mp3");
    const std::string params =
        "-c 'printf %s \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"' sh mfile '" + output + "'";
    ASSERT_FALSE(
        platform::StartProgram("sh", InsertFilePath(platform::SplitParameterText(params), name)));
    for (int i = 0; i < 3000 && !fs::exists(output); ++i) // only a guard against a hang
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::readBytes(output), name);
    for (const char* made : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(fs::exists(temp.file(made)) || fs::exists(made)) << made;
}

} // namespace
} // namespace lp
