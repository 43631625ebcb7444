#include "globals/command_line.h"

#include <gtest/gtest.h>

using lp::CommandLine;
using lp::parseCommandLine;

TEST(CommandLine, StartupWordInAnyCaseButOnlyTheExactWord) {
    struct Case {
        std::vector<std::string> args;
        bool hidden;
    } cases[] = {
        {{"larchpost"}, false},
        {{"larchpost", "startup"}, true},
        {{"larchpost", "StartUp"}, true},
        {{"larchpost", "STARTUP"}, true},
        {{"larchpost", "/startup"}, false},
        {{"larchpost", "-startup"}, false},
        {{"larchpost", "startups"}, false},
        {{"startup"}, true}, // index 0 is scanned too
    };
    for (const auto& c : cases) {
        CommandLine cl;
        ASSERT_FALSE(parseCommandLine(c.args, cl).has_value());
        EXPECT_EQ(cl.startHidden, c.hidden) << c.args.back();
    }
}

TEST(CommandLine, OptionsWithValues) {
    CommandLine cl;
    ASSERT_FALSE(parseCommandLine({"lp", "--headless", "--config", "/tmp/x.ini", "--interval", "0",
                                   "--cycles", "3", "--verbose"},
                                  cl));
    EXPECT_TRUE(cl.headless);
    EXPECT_TRUE(cl.verbose);
    EXPECT_FALSE(cl.simulate);
    EXPECT_EQ(cl.configPath.value(), "/tmp/x.ini");
    EXPECT_EQ(cl.intervalMs, 0);
    EXPECT_EQ(cl.cycles.value(), 3);
    ASSERT_FALSE(parseCommandLine({"lp", "--interval", "86400000"}, cl)) << "a day is allowed";
    EXPECT_EQ(cl.intervalMs, 86'400'000);
    EXPECT_FALSE(cl.folder);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"lp", "--simulate", "--folder", "My Music"},
                                               {"lp", "--folder", "My Music", "--simulate"}}) {
        ASSERT_FALSE(parseCommandLine(args, cl)) << args[1];
        EXPECT_TRUE(cl.simulate);
        EXPECT_EQ(cl.folder.value(), "My Music");
    }
}

TEST(CommandLine, MalformedOptionsAreRefused) {
    const std::vector<std::vector<std::string>> bad = {
        {"lp", "--config"},
        {"lp", "--config", ""},
        {"lp", "--interval", "-1"},
        {"lp", "--interval", "5s"},
        {"lp", "--cycles", ""},
        {"lp", "--cycles", "99999999999999999999"},
        {"lp", "--frobnicate"},
        {"lp", "--interval", "86400001"},
        {"lp", "--interval", "9223372036854775807"},
        {"lp", "--simulate", "--folder"},
        {"lp", "--simulate", "--folder", ""},
        {"lp", "--folder", "Music"},               // belongs to --simulate
        {"lp", "--headless", "--folder", "Music"}, // not passed over: the user meant it
    };
    for (const auto& args : bad) {
        CommandLine cl;
        cl.verbose = true;
        EXPECT_TRUE(parseCommandLine(args, cl).has_value()) << args.back();
        EXPECT_TRUE(cl.verbose) << "output must stay untouched on refusal";
    }
}

TEST(CommandLine, ARefusalSaysWhatToTypeInstead) {
    const struct Case {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"lp", "--simulate", "--folder", "1", "--folder", "Music"},
         "Option --folder is given twice (\"1\" and \"Music\"); give one folder."},
        {{"lp", "--simulate", "--folder=1"},
         "Option --folder takes its value as the next word: \"--folder 1\"."},
        {{"lp", "--interval=5"},
         "Option --interval takes its value as the next word: \"--interval 5\"."},
        {{"lp", "--simulate=yes"}, "Unknown option: \"--simulate=yes\""},
        {{"lp", "--simulate", "--folder="}, "Option --folder needs a value, as the next word."},
    };
    for (const Case& c : cases) {
        CommandLine cl;
        const auto refusal = parseCommandLine(c.args, cl);
        ASSERT_TRUE(refusal.has_value()) << c.says;
        EXPECT_EQ(*refusal, c.says);
    }
}

TEST(CommandLine, HelpAndVersionEndTheReading) {
    struct Case {
        std::vector<std::string> args;
        bool help, version, refused;
    } cases[] = {
        {{"lp", "--help"}, true, false, false},
        {{"lp", "--version"}, false, true, false},
        {{"lp", "--headless", "--version", "--help"}, false, true, false},
        {{"lp", "--help", "--frobnicate"}, true, false, false}, // not read after --help
        {{"lp", "--frobnicate", "--help"}, false, false, true}, // refused before it
        {{"lp", "--config", "--help"}, false, false, false},    // a file named --help
        {{"lp", "-help", "/version"}, false, false, false},     // no options of ours
        {{"lp", "-h"}, true, false, false},                     // the short form
    };
    for (const auto& c : cases) {
        CommandLine cl;
        EXPECT_EQ(parseCommandLine(c.args, cl).has_value(), c.refused) << c.args[1];
        EXPECT_EQ(cl.help, c.help) << c.args[1];
        EXPECT_EQ(cl.version, c.version) << c.args[1];
    }
}

TEST(CommandLine, AnEchoedValueCannotReachTheTerminalRaw) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"lp", "--interval", "5\x1b]0;title\a"},
         "Option --interval needs a whole number of 0 or more, not \"5\\x1B]0;title\\x07\"."},
        {{"lp", "--cycles", "1\n2"},
         "Option --cycles needs a whole number of 0 or more, not \"1\\n2\"."},
        {{"lp", "--interval", "99999999999"},
         "Option --interval takes at most 86400000 milliseconds (a day), not \"99999999999\"."},
        {{"lp", "--\x1b[2J"}, "Unknown option: \"--\\x1B[2J\""},
    };
    for (const Case& c : cases) {
        lp::CommandLine cl;
        EXPECT_EQ(parseCommandLine(c.args, cl), c.message) << c.args.back();
    }
}
