#include "globals/startup.h"
#include "globals/temp_folder.h"
#include "platform/path_separator.h"
#include "platform/user_folders.h"

#include <gtest/gtest.h>

#include <string>

namespace lp {
namespace {

struct FolderCase {
    const char* name;
    const char* applicationFolder;
    bool writable;
    const char* userConfig;
    std::string expected;
};

// The program's own folder inside a user folder, with the system's separators.
std::string larchpostFolderIn(const std::string& userFolder) {
    return userFolder + platform::kPathSeparator + "Larchpost" + platform::kPathSeparator;
}

class ConfigFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(ConfigFolder, PortableCopiesKeepItBesideTheExecutable) {
    const FolderCase& c = GetParam();
    EXPECT_EQ(ConfigurationFolder(c.applicationFolder, c.writable, c.userConfig), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Copies, ConfigFolder,
    testing::Values(FolderCase{"Portable", "/home/me/lp/", true, "/home/me/.config",
                               "/home/me/lp/"},
                    FolderCase{"Installed", "/usr/bin/", false, "/home/me/.config",
                               larchpostFolderIn("/home/me/.config")},
                    FolderCase{"InstalledWithoutUserFolder", "/usr/bin/", false, "", "/usr/bin/"},
                    FolderCase{"UnknownApplicationFolder", "", false, "/home/me/.config", ""}),
    [](const testing::TestParamInfo<FolderCase>& p) { return std::string(p.param.name); });

TEST(FolderWritable, TellsAWritableFolderFromAMissingOne) {
    test::TempFolder folder;
    EXPECT_TRUE(platform::FolderWritable(folder.path().string()));
    EXPECT_FALSE(platform::FolderWritable(folder.file("missing")));
    EXPECT_FALSE(platform::FolderWritable(""));
}

} // namespace
} // namespace lp
