// The real program at start-up: it reads the file --config names, rewrites an old layout, and
// leaves a damaged or missing file alone, reporting on standard error.

#include <gtest/gtest.h>

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
    int run() {
        const std::string command = "XDG_RUNTIME_DIR='" + (folder_ / "run").string() + "' '" +
                                    LARCHPOST_EXE + "' --headless --cycles 0 --config '" +
                                    config_.string() + "' 2>'" + (folder_ / "stderr").string() +
                                    "' </dev/null";
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

TEST_F(ConfigStartup, MissingFileIsNeitherCreatedNorReported) {
    EXPECT_EQ(run(), 0);
    EXPECT_FALSE(fs::exists(config_));
    EXPECT_EQ(stderrText(), "");
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
    EXPECT_EQ(stderrText(), "Error: Invalid alarm file\n");
    EXPECT_EQ(readBytes(config_), "[Main]\nVersion=0.5\n");
    EXPECT_FALSE(fs::exists(config_.string() + ".bad"));
}

} // namespace
