// The real executable asked for its usage or version, or given an option it does not know.

#include "program_run.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using lp::test::ProgramRun;

class ProgramInformation : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-info-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        home_ = pattern;
    }
    void TearDown() override { fs::remove_all(home_); }

    fs::path home_;
};

TEST_F(ProgramInformation, HelpAndVersionPrintAndEndWithoutStartingAnything) {
    // No display: a program that went on to start would sort until stopped, and never end here.
    ProgramRun version(home_, {"--version"}, false);
    EXPECT_EQ(version.waitForEnd(), 0);
    EXPECT_EQ(version.output(), "Larchpost 1.00 (build 2)\n");
    EXPECT_EQ(version.errors(), "");

    ProgramRun help(home_, {"startup", "--help", "--frobnicate"}, false);
    EXPECT_EQ(help.waitForEnd(), 0);
    EXPECT_EQ(help.output().rfind("Usage: larchpost", 0), 0u) << help.output();
    EXPECT_EQ(help.errors(), "");
}

TEST_F(ProgramInformation, AMalformedCommandLineSaysSoAndPointsAtHelp) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--frobnicate"}, "Unknown option: \"--frobnicate\""},
        {{"--headless", "--cycles"}, "Option --cycles needs a value."},
    };
    for (const auto& c : cases) {
        ProgramRun program(home_, c.args, false);
        EXPECT_EQ(program.waitForEnd(), 2);
        EXPECT_EQ(program.errors(),
                  "larchpost: " + c.says + "\nTry 'larchpost --help' for the options.\n");
        EXPECT_EQ(program.output(), "");
    }
}

} // namespace
