// The real program at start-up: it reads the file --config names, rewrites an old layout, and
// leaves a damaged or missing file alone, reporting on standard error.

#include "engine/folder_choice.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class ConfigStartup : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-e2e-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        config_ = folder_ / "bxconf.ini";
        // A runtime folder of its own, so that runs in parallel never meet at the instance guard.
        fs::create_directories(folder_ / "run");
        fs::permissions(folder_ / "run", fs::perms::owner_all);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs the program headless for no cycle at all; returns its exit status.
    int run(const std::string& environment = "", const std::string& mode = "--headless") {
        std::string start;
        for (const std::string& word : lp::test::isolatedStart(folder_))
            start += "'" + word + "' ";
        const std::string command =
            environment + " XDG_RUNTIME_DIR='" + (folder_ / "run").string() + "' " + start + "'" +
            LARCHPOST_EXE + "' " + mode + " --cycles 0 --config '" + config_.string() + "' 2>'" +
            (folder_ / "stderr").string() + "' </dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string stderrText() const { return readBytes(folder_ / "stderr"); }
    void writeConfig(const std::string& content) const {
        std::ofstream(config_, std::ios::binary) << content;
    }

    fs::path folder_;
    fs::path config_;
};

// Without a window a path that names no file would sort nothing for ever: it is refused.
TEST_F(ConfigStartup, APathThatNamesNoFileIsRefusedWithoutAWindow) {
    for (const char* mode : {"--headless", "--simulate"}) {
        EXPECT_EQ(run("", mode), 2) << mode;
        EXPECT_FALSE(fs::exists(config_));
        EXPECT_EQ(stderrText(), "larchpost: The configuration file \"" + config_.string() +
                                    "\" does not exist.\n");
    }
    fs::create_directory(config_);
    EXPECT_EQ(run(), 2);
    EXPECT_EQ(stderrText(),
              "larchpost: The configuration file \"" + config_.string() + "\" is a folder.\n");
    EXPECT_TRUE(fs::is_empty(config_));
}

TEST_F(ConfigStartup, OldLayoutIsRewrittenAsVersionOne) {
    writeConfig("[Main Info]\nVersion=0.9\nUseSMTP=0\nSMTP Server=\nReplyTo=\nService "
                "Count=1\nCustom Count=1\n"
                "[Service 1]\nserviceid=5\nothernum=1\nothername=Music\nenabled=0\nsharedir=/in\n"
                "excludefiles=*.tmp\nrulecnt=0\n");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(stderrText(), "");
    EXPECT_EQ(readBytes(config_),
              "[Main Info]\r\nVersion=1.00\r\nUseSMTP=0\r\nSMTP Server=\r\nReplyTo=\r\n"
              "Service Count=1\r\nCustom Count=1\r\n[Service 1]\r\nserviceid=5\r\n"
              "othernum=1\r\nothername=Music\r\nenabled=0\r\nsharedir=/in\r\n"
              "excludefiles=*.tmp\r\nrulecnt=0\r\n");
    EXPECT_EQ(fs::status(config_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(ConfigStartup, InvalidFileIsReportedAndKeptAsItIs) {
    writeConfig("[Main]\nVersion=0.5\n");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(stderrText(), "The configuration file \"" + config_.string() +
                                "\" was not read whole. Error: Invalid alarm file. Line 1. The "
                                "file is kept as it is and will be set aside at the first save.\n");
    EXPECT_EQ(readBytes(config_), "[Main]\nVersion=0.5\n");
    EXPECT_FALSE(fs::exists(config_.string() + ".bad"));
}

TEST_F(ConfigStartup, ADamagedFileIsSaidOnOneLineAndKept) {
    const std::string damaged =
        "[Main Info]\nVersion=0.9\nUseSMTP=0\nSMTP Server=\nReplyTo=\nService Count=1\n"
        "Custom Count=1\n[Service 1]\nserviceid=5\nothernum=1\nothername=Music\nenabled=0\n"
        "sharedir=/in\nexcludefiles=\nrulecnt=1\n[Rule 1]\nrulename=r\nenabled=0\nmcond=1\n"
        "condcnt=0\nfcnt=0\nfsize=0\nraction=4\nactioncnt=1\n";
    writeConfig(damaged);
    EXPECT_EQ(run("", "--simulate"), 0);
    EXPECT_EQ(stderrText(), "The configuration file \"" + config_.string() +
                                "\" was not read whole. Expected actioncnt=, found raction=4. "
                                "Line 23. The file is kept as it is and will be set aside at the "
                                "first save.\n" +
                                lp::SimulationHeading(nullptr) + "\n");
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(readBytes(config_), damaged);
    EXPECT_FALSE(fs::exists(config_.string() + ".bad"));
}

// The user's decimal separator counts without a window too, although the program never takes
// the user's locale there.
TEST_F(ConfigStartup, ACommaVersionIsReadWhereTheLocaleUsesACommaDecimalSeparator) {
    const locale_t german = ::newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
    if (german == static_cast<locale_t>(nullptr))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/setup makes it)";
    ::freelocale(german);
    const std::string file = "[Main Info]\nVersion=1,00\nUseSMTP=0\nSMTP Server=\nReplyTo=\n"
                             "Service Count=0\nCustom Count=0\n";
    writeConfig(file);
    EXPECT_EQ(run("LC_ALL=de_DE.UTF-8"), 0);
    EXPECT_EQ(stderrText(), "");
    EXPECT_EQ(readBytes(config_), file); // version 1.0: not rewritten

    EXPECT_EQ(run("LC_ALL=C"), 0);
    EXPECT_EQ(stderrText(), "Error retrieving version number.\n");
}

} // namespace
