#include "globals/quoted_value.h"
#include "globals/startup.h"
#include "globals/temp_folder.h"
#include "odd_file_name.h"
#include "own_executable.h"
#include "platform/path_separator.h"
#include "platform/user_folders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace lp {
namespace {

TEST(Startup, DefaultsAndTheConfigurationPathBesideTheExecutable) {
    AppGlobals globals;
    globals.registry.Width = 1;
    globals.table.settings.UseSMTP = false;
    globals.table.services.resize(2);
    const ConfigStartResult result =
        StartConfiguration(globals, CommandLine{}, [](const std::string&) {});
    const std::string exeFolder = test::ownExecutableFolder();
    EXPECT_EQ(globals.applicationFolder, exeFolder);
    // Beside the executable where its user may write there (a build of one's own), else in the
    // user's configuration folder.
    const std::string folder = platform::FolderWritable(exeFolder)
                                   ? exeFolder
                                   : platform::UserConfigFolder() + platform::kPathSeparator +
                                         "Larchpost" + platform::kPathSeparator;
    EXPECT_EQ(globals.configPath, folder + "bxconf.ini");
    EXPECT_EQ(globals.registry.Width, 440);
    EXPECT_EQ(globals.registry.Height, 400);
    EXPECT_TRUE(globals.registry.AutoStart);
    EXPECT_TRUE(globals.table.settings.UseSMTP);
    if (!result.fileRead) {
        EXPECT_TRUE(globals.table.services.empty());
    }
}

struct StartCase {
    const char* name;
    std::string content; // empty: no file at all
    bool rewritten;
    std::vector<std::string> messages;
};

const std::string kOldLayout =
    "[Main Info]\r\nVersion=0.9\r\nUseSMTP=1\r\nSMTP Server=s\r\nReplyTo=\r\n"
    "Service Count=0\r\nCustom Count=0\r\n";
const std::string kRewritten =
    "[Main Info]\r\nVersion=1.00\r\nUseSMTP=1\r\nSMTP Server=s\r\nReplyTo=\r\n"
    "Service Count=0\r\nCustom Count=0\r\n";

class StartupFile : public testing::TestWithParam<StartCase> {};

TEST_P(StartupFile, RewritesOnlyOldLayoutsThatWereReadWhole) {
    const StartCase& c = GetParam();
    test::TempFolder folder;
    const std::string path = folder.file("my.ini");
    if (!c.content.empty())
        test::writeBytes(path, c.content);
    CommandLine options;
    options.configPath = path;
    AppGlobals globals;
    std::vector<std::string> messages;
    const ConfigStartResult result =
        StartConfiguration(globals, options, [&](const std::string& m) { messages.push_back(m); });

    EXPECT_EQ(globals.configPath, path);
    std::vector<std::string> expected = c.messages;
    for (std::string& message : expected)
        if (const auto at = message.find("{path}"); at != std::string::npos)
            message.replace(at, 6, QuoteValue(path));
    EXPECT_EQ(messages, expected);
    EXPECT_FALSE(result.refusal);
    EXPECT_EQ(result.rewritten, c.rewritten);
    if (c.content.empty()) {
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_TRUE(globals.table.services.empty());
    } else if (c.rewritten) {
        EXPECT_EQ(result.rewriteResult, 0);
        EXPECT_NE(test::readBytes(path).find("Version=1.00\r\n"), std::string::npos);
    } else {
        EXPECT_EQ(test::readBytes(path), c.content);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}),
              c.content.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, StartupFile,
    testing::Values(
        StartCase{"NoFile", "", false, {}}, StartCase{"OldVersion", kOldLayout, true, {}},
        StartCase{"UnreadableVersion",
                  "[Main Info]\nVersion=\nUseSMTP=1\nSMTP Server=s\nReplyTo=\nService "
                  "Count=0\nCustom Count=0\n",
                  true,
                  {"Error retrieving version number."}},
        StartCase{"CurrentVersionLfOnly",
                  "[Main Info]\nVersion=1.00\nUseSMTP=1\nSMTP Server=s\nReplyTo=\nService "
                  "Count=0\nCustom Count=0\n",
                  false,
                  {}},
        StartCase{"InvalidFirstLine",
                  "Main Info\r\nVersion=0.9\r\n",
                  false,
                  {"The configuration file {path} was not read whole. Error: Invalid alarm "
                   "file. Line 1. The file is kept as it is and will be set aside at the first "
                   "save."}},
        StartCase{"OldVersionCutShort",
                  "[Main Info]\r\nVersion=0.9\r\nUseSMTP=1\r\n",
                  false,
                  {"The configuration file {path} was not read whole. Expected SMTP Server=, "
                   "found the end of the file. Line 4. The file is kept as it is and will be set "
                   "aside at the first save."}}),
    [](const testing::TestParamInfo<StartCase>& param) { return std::string(param.param.name); });

struct RefusalCase {
    const char* name;
    bool headless;
    bool simulate;
    bool folder; // the path names a folder; otherwise nothing
    bool refused;
};

class StartupRefusal : public testing::TestWithParam<RefusalCase> {};

// Without a window, a configuration path that names no file would mean sorting nothing for ever.
// The desktop program starts empty and makes the file at the first save; a folder is refused
// everywhere, since no save could ever replace it.
TEST_P(StartupRefusal, NamesThePathThatHoldsNoFile) {
    const RefusalCase& c = GetParam();
    test::TempFolder folder;
    // An odd name must not reach the terminal as it is.
    const std::string path = folder.file(test::kOddFileName);
    if (c.folder)
        std::filesystem::create_directory(path);
    CommandLine options;
    options.configPath = path;
    options.headless = c.headless;
    options.simulate = c.simulate;
    AppGlobals globals;
    const ConfigStartResult result =
        StartConfiguration(globals, options, [](const std::string&) {});
    ASSERT_EQ(result.refusal.has_value(), c.refused);
    if (c.refused) {
        EXPECT_EQ(*result.refusal, "The configuration file " + QuoteValue(path) +
                                       (c.folder ? " is a folder." : " does not exist."));
    }
    EXPECT_FALSE(result.fileRead);
    EXPECT_EQ(std::filesystem::is_directory(path), c.folder);
    EXPECT_EQ(std::filesystem::exists(path), c.folder);
}

INSTANTIATE_TEST_SUITE_P(Modes, StartupRefusal,
                         testing::Values(RefusalCase{"HeadlessMissing", true, false, false, true},
                                         RefusalCase{"SimulateMissing", false, true, false, true},
                                         RefusalCase{"DesktopMissing", false, false, false, false},
                                         RefusalCase{"HeadlessFolder", true, false, true, true},
                                         RefusalCase{"SimulateFolder", false, true, true, true},
                                         RefusalCase{"DesktopFolder", false, false, true, true}),
                         [](const testing::TestParamInfo<RefusalCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(Startup, OldLayoutIsRewrittenInTheCurrentLayout) {
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    test::writeBytes(path, kOldLayout);
    CommandLine options;
    options.configPath = path;
    AppGlobals globals;
    StartConfiguration(globals, options, [](const std::string&) {});
    EXPECT_EQ(test::readBytes(path), kRewritten);
}

TEST(Startup, ASimulationReadsAnOldLayoutButLeavesTheFileAlone) {
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    test::writeBytes(path, kOldLayout);
    CommandLine options;
    options.configPath = path;
    options.simulate = true;
    AppGlobals globals;
    const ConfigStartResult result =
        StartConfiguration(globals, options, [](const std::string&) {});
    EXPECT_TRUE(result.fileRead);
    EXPECT_FALSE(result.rewritten);
    EXPECT_EQ(globals.table.settings.SMTPServer, "s");
    EXPECT_EQ(test::readBytes(path), kOldLayout);
}

} // namespace
} // namespace lp
