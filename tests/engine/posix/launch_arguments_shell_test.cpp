// The parameter text read as shell words with nothing expanded, and the file's path put in.

#include "engine/launch_arguments.h"
#include "globals/temp_folder.h"
#include "platform/launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace lp {
namespace {

namespace fs = std::filesystem;

TEST(LaunchArguments, TheTextIsSplitAsShellWordsWithNothingExpanded) {
    struct Case {
        std::string text;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"", {}},
        {" \t ", {}},
        {"-a  -b", {"-a", "-b"}},
        {"tab\tseparated", {"tab", "separated"}},
        {"\"two words\" x", {"two words", "x"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\" ''", {"", ""}},
        {"'single \"keeps\" \\ all'", {"single \"keeps\" \\ all"}},
        {"\"a \\\" b \\\\ c \\n\"", {"a \" b \\ c \\n"}},
        {"back\\slash two\\ words \\'x \\\"y", {"backslash", "two words", "'x", "\"y"}},
        {"trailing\\", {"trailing\\"}},
        {"\"unclosed  here", {"unclosed  here"}},
        {"'unclosed  here", {"unclosed  here"}},
        {"$HOME `id` * ~ a;b", {"$HOME", "`id`", "*", "~", "a;b"}},
        {"-c 'recode \"$1\"' sh mfile", {"-c", "recode \"$1\"", "sh", "mfile"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitParameterText(c.text), c.arguments) << '[' << c.text << ']';
}

TEST(LaunchArguments, AShellGivenTheFileAsAnArgumentRunsNothingFromItsName) {
    test::TempFolder temp;
    const std::string output = temp.file("received");
    const std::string name = temp.file("x\"; touch pwned; \"$(touch pwned2)`touch pwned3`.mp3");
    const std::string params =
        "-c 'printf %s \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"' sh mfile '" + output + "'";
    ASSERT_FALSE(platform::StartProgram("sh", InsertFilePath(SplitParameterText(params), name)));
    for (int i = 0; i < 3000 && !fs::exists(output); ++i) // only a guard against a hang
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(test::readBytes(output), name);
    for (const char* made : {"pwned", "pwned2", "pwned3"})
        EXPECT_FALSE(fs::exists(temp.file(made)) || fs::exists(made)) << made;
}

} // namespace
} // namespace lp
