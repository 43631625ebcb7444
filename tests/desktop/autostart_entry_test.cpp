#include "desktop/autostart_entry.h"

#include "support/scoped_config_home.h"

#include <QFile>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct QuoteCase {
    const char* path;
    const char* quoted;
};

class ExecQuoting : public testing::TestWithParam<QuoteCase> {};

TEST_P(ExecQuoting, MakesThePathOneArgument) {
    EXPECT_EQ(lp::quoteExecArgument(GetParam().path), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecQuoting,
    testing::Values(QuoteCase{"/usr/bin/larchpost", "/usr/bin/larchpost"},
                    QuoteCase{"/opt/My Tools/larchpost", "\"/opt/My Tools/larchpost\""},
                    QuoteCase{"/home/a\"b/lp", "\"/home/a\\\"b/lp\""},
                    QuoteCase{"/x/$HOME/`id`/lp", "\"/x/\\$HOME/\\`id\\`/lp\""},
                    QuoteCase{"/x/back\\slash/lp", "\"/x/back\\\\slash/lp\""},
                    QuoteCase{"/x/100%/lp", "/x/100%%/lp"},
                    QuoteCase{"/x/it's 100%/lp", "\"/x/it's 100%%/lp\""},
                    QuoteCase{"/x/a;b/lp", "\"/x/a;b/lp\""}));

class AutostartEntry : public testing::Test {
protected:
    lp::test::ScopedConfigHome home;
};

TEST_F(AutostartEntry, WritesADesktopEntryWhoseCommandStartsHidden) {
    EXPECT_EQ(lp::readRunEntry(), ""); // no file yet
    ASSERT_EQ(lp::writeRunEntry("/opt/My Tools/larchpost"), std::nullopt);
    EXPECT_EQ(lp::autostartFilePath(), home.autostartPath());

    const QByteArray file = home.autostart();
    EXPECT_TRUE(file.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(file.contains("\nType=Application\n"));
    // The file-level escape doubles the backslash the quoting added.
    ASSERT_EQ(lp::writeRunEntry("/x/back\\slash/lp"), std::nullopt);
    EXPECT_TRUE(home.autostart().contains("\nExec=\"/x/back\\\\\\\\slash/lp\" startup\n"));
    EXPECT_EQ(lp::readRunEntry(), "\"/x/back\\\\slash/lp\" startup");

    ASSERT_EQ(lp::removeRunEntry(), std::nullopt);
    EXPECT_FALSE(QFile::exists(home.autostartPath()));
    EXPECT_EQ(lp::removeRunEntry(), std::nullopt); // already gone is fine
}

struct ReadCase {
    const char* name;
    const char* content;
    const char* command;
};

class AutostartRead : public testing::TestWithParam<ReadCase> {
protected:
    lp::test::ScopedConfigHome home;
};

TEST_P(AutostartRead, FindsTheCommandOfTheDesktopEntryGroup) {
    ASSERT_TRUE(home.writeAutostart(GetParam().content));
    EXPECT_EQ(lp::readRunEntry(), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Files, AutostartRead,
    testing::Values(
        ReadCase{"Plain", "[Desktop Entry]\nExec=/bin/lp startup\n", "/bin/lp startup"},
        ReadCase{"SpacesAroundEquals", "[Desktop Entry]\nExec = /bin/lp\n", "/bin/lp"},
        ReadCase{"LookalikeKeysIgnored",
                 "[Desktop Entry]\nExecPath=/a\nExec[de]=/b\nTryExec=/c\nExec=/d\n", "/d"},
        ReadCase{"OtherGroupIgnored",
                 "[Desktop Action x]\nExec=/other\n[Desktop Entry]\nName=L\nExec=/mine startup\n",
                 "/mine startup"},
        ReadCase{"EscapesUndone", "[Desktop Entry]\nExec=\\s/a\\\\b\\tc\n", " /a\\b\tc"},
        ReadCase{"NoCommand", "[Desktop Entry]\nName=Larchpost\n", ""},
        ReadCase{"NotADesktopFile", "\x01\x02garbage\nExec=/x\n", ""}),
    [](const testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });

// The three steps at window creation: read, add "startup" where it is missing, and with
// auto-start on write the entry for the current executable.
struct SyncCase {
    const char* name;
    const char* before; // nullptr: no file
    bool autoStart;
    const char* after; // nullptr: still no file
};

class RunEntryAtCreation : public testing::TestWithParam<SyncCase> {
protected:
    lp::test::ScopedConfigHome home;
};

TEST_P(RunEntryAtCreation, BringsTheEntryInLine) {
    const SyncCase& c = GetParam();
    if (c.before != nullptr) {
        ASSERT_TRUE(home.writeAutostart(QByteArray("[Desktop Entry]\nExec=") + c.before + "\n"));
    }
    std::vector<std::string> errors;
    lp::bringRunEntryInLine(c.autoStart, "/new/larchpost",
                            [&](const std::string& e) { errors.push_back(e); });
    EXPECT_TRUE(errors.empty());
    if (c.after == nullptr) {
        EXPECT_FALSE(QFile::exists(home.autostartPath()));
    } else {
        EXPECT_EQ(lp::readRunEntry(), c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RunEntryAtCreation,
    testing::Values(
        SyncCase{"AbsentAndOff", nullptr, false, nullptr},
        SyncCase{"AbsentAndOn", nullptr, true, "/new/larchpost startup"},
        SyncCase{"WithoutStartupAndOff", "/old/larchpost", false, "/new/larchpost startup"},
        SyncCase{"WithoutStartupAndOn", "/old/larchpost", true, "/new/larchpost startup"},
        SyncCase{"WithStartupAndOffKept", "/old/larchpost startup", false,
                 "/old/larchpost startup"},
        SyncCase{"WithStartupAndOnRewritten", "/old/larchpost startup", true,
                 "/new/larchpost startup"},
        SyncCase{"TestIsCaseSensitive", "/old/larchpost STARTUP", false, "/new/larchpost startup"}),
    [](const testing::TestParamInfo<SyncCase>& p) { return std::string(p.param.name); });

TEST_F(AutostartEntry, AFolderThatCannotBeMadeIsReportedWithTheSystemsMessage) {
    // A plain file where the autostart folder should be: no user, root included, can write there.
    QFile blocker(home.path() + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const auto error = lp::writeRunEntry("/bin/lp");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->rfind("Unable to write the auto-start file " +
                               home.autostartPath().toStdString() + ": ",
                           0),
              0u)
        << *error;
    // The system names the cause; which of the two depends on the library's order of checks.
    const auto names = [&](std::errc code) {
        return error->find(std::make_error_code(code).message()) != std::string::npos;
    };
    EXPECT_TRUE(names(std::errc::not_a_directory) || names(std::errc::file_exists)) << *error;

    std::vector<std::string> errors;
    lp::bringRunEntryInLine(true, "/bin/lp", [&](const std::string& e) { errors.push_back(e); });
    EXPECT_EQ(errors.size(), 1u); // told once, and the caller goes on
}

TEST_F(AutostartEntry, ARemovalThatFailsIsReported) {
    // A non-empty folder in the file's place cannot be removed as a file.
    ASSERT_TRUE(QDir().mkpath(home.autostartPath() + "/inside"));
    const auto error = lp::removeRunEntry();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->rfind("Unable to remove the auto-start file ", 0), 0u) << *error;
}

} // namespace
