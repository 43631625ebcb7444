#include "desktop/help_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A prefix laid out as an install makes it: <prefix>/bin/ and <prefix>/share/larchpost/.
struct LookupCase {
    const char* name;
    bool besideExecutable;
    bool inSharedData;
    bool folderWritable;
    const char* expected; // relative to the prefix
    bool found;
};

class HelpLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(HelpLookup, LooksBesideTheExecutableThenInTheInstalledDataFolder) {
    const LookupCase& c = GetParam();
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath("bin"));
    ASSERT_TRUE(QDir(prefix.path()).mkpath("share/larchpost"));
    const auto put = [&](const char* relative) {
        QFile file(prefix.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html></html>");
    };
    if (c.besideExecutable)
        put("bin/larchpost.hlp");
    if (c.inSharedData)
        put("share/larchpost/larchpost.hlp");

    const lp::HelpFileLookup found =
        lp::findHelpFile((prefix.path() + "/bin/").toStdString(), c.folderWritable);
    EXPECT_EQ(found.path, prefix.filePath(c.expected));
    EXPECT_EQ(found.found, c.found);
}

INSTANTIATE_TEST_SUITE_P(
    Copies, HelpLookup,
    testing::Values(LookupCase{"PortableBeside", true, true, true, "bin/larchpost.hlp", true},
                    LookupCase{"PortableMissingNamesItsOwnFolder", false, false, true,
                               "bin/larchpost.hlp", false},
                    LookupCase{"WritableInstalledFromSharedData", false, true, true,
                               "share/larchpost/larchpost.hlp", true},
                    LookupCase{"InstalledBesideWins", true, true, false, "bin/larchpost.hlp", true},
                    LookupCase{"InstalledFromSharedData", false, true, false,
                               "share/larchpost/larchpost.hlp", true},
                    LookupCase{"InstalledMissingNamesSharedData", false, false, false,
                               "share/larchpost/larchpost.hlp", false}),
    [](const testing::TestParamInfo<LookupCase>& p) { return std::string(p.param.name); });

TEST(HelpLookupFolder, AFolderNamedLikeTheFileIsNoHelpFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("larchpost.hlp"));
    EXPECT_FALSE(lp::findHelpFile((folder.path() + "/").toStdString(), true).found);
}

} // namespace
