// Starting a real program through the shell: the arguments arrive whole, quotes and all.

#include "globals/temp_folder.h"
#include "platform/launcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Waits for the program, which is not waited for by the launcher; only a guard against a hang.
bool waitForFile(const std::string& path) {
    for (int i = 0; i < 3000 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(200ms); // let the writer finish
    return fs::exists(path);
}

// The file's content once it is the expected one, or what it holds after about 30 s: a redirection
// makes the file before the program writes into it.
std::string contentOnceWritten(const std::string& path, const std::string& expected) {
    std::string content;
    for (int i = 0; i < 3000; ++i) {
        if (fs::exists(path) && (content = test::readBytes(path)) == expected)
            break;
        std::this_thread::sleep_for(10ms);
    }
    return content;
}

TEST(Launcher, ABatchFileReceivesEachArgumentWhole) {
    test::TempFolder temp;
    const std::string script = temp.file("record.cmd");
    const std::string output = temp.file("args.txt");
    // %~1 is the first argument with its enclosing quotes taken off. The file appears whole,
    // by a rename, once every line is in it.
    const std::string partial = output + ".tmp";
    test::writeBytes(script, "@echo off\r\necho [%~1]> \"" + partial + "\"\r\necho [%~2]>> \"" +
                                 partial + "\"\r\necho [%~3]>> \"" + partial + "\"\r\nmove /y \"" +
                                 partial + "\" \"" + output + "\" > nul\r\n");
    ASSERT_FALSE(StartProgram(script, {"-q", "two words", "C:\\a folder\\b.mp3"}));
    ASSERT_TRUE(waitForFile(output));
    EXPECT_EQ(test::readBytes(output), "[-q]\r\n[two words]\r\n[C:\\a folder\\b.mp3]\r\n");
}

// A file's name reaches a command interpreter as a name: its & and ^ start nothing, while the
// redirection typed into the parameters still redirects.
TEST(Launcher, ACommandInterpreterTakesAFilesNameAsANameAndTheTypedRedirectionAsOne) {
    test::TempFolder temp;
    // cmd.exe reads a comma as a blank: unquoted, this name would make a folder "made".
    const std::string file = temp.file("x&md,made&y^z.txt");
    test::writeBytes(file, "data");
    const std::string output = temp.file("typed.txt");
    ASSERT_FALSE(StartProgram("cmd.exe", {"/c", "type", file, ">", output}));
    EXPECT_EQ(contentOnceWritten(output, "data"), "data");
    EXPECT_FALSE(fs::exists(temp.file("made")));
    EXPECT_FALSE(fs::exists("made"));
}

TEST(Launcher, WhatTheShellCouldStartIsFoundWithoutStartingIt) {
    test::TempFolder temp;
    test::writeBytes(temp.file("notes.txt"), "x");
    struct Case {
        std::string program;
        bool startable;
    };
    const Case cases[] = {
        {"cmd", true},                       // on the search path, ".exe" added
        {"cmd.exe", true},                   // on the search path as named
        {"no-such-program-anywhere", false}, // nowhere
        {temp.file("notes.txt"), true},      // a document the shell opens
        {temp.file("missing.exe"), false},   // a path to nothing
        {"https://example.org/", true},      // a web address
        {"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgramStartable(c.program), c.startable) << c.program;
}

TEST(Launcher, MissingProgramsFail) {
    test::TempFolder temp;
    EXPECT_TRUE(StartProgram(temp.file("missing.exe"), {}));
    EXPECT_TRUE(StartProgram("", {}));
}

} // namespace
} // namespace lp::platform
