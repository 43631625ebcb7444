// Deletes that go to the desktop's trash, on a real trash folder: the file lands where the file
// manager restores it from, and nothing but that file is touched.

#include "desktop/sorting_cycle.h"
#include "desktop/trash.h"
#include "engine/rule_actions.h"
#include "support/desktop_standard_paths.h"
#include "support/scoped_variable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lp {
namespace {

namespace fs = std::filesystem;

class Trash : public testing::Test {
protected:
    // The home and the data folder on the one file system, so that the home trash is the one.
    std::string at(const std::string& relative) const {
        return QDir(dir.path()).filePath(QString::fromStdString(relative)).toStdString();
    }
    fs::path trashFiles() const { return at("data/Trash/files"); }
    static void write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    QTemporaryDir dir;
    test::ScopedVariable home{"HOME", dir.path().toLocal8Bit().constData()};
    test::ScopedVariable data{"XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit().constData()};
    test::DesktopStandardPaths paths; // the trash is found as on a desktop
};

TEST_F(Trash, AFileGoesToTheTrashWithItsRestoreInformation) {
    fs::create_directories(at("in"));
    write(at("in/song.mp3"), "music");
    EXPECT_FALSE(MoveToTrash(at("in/song.mp3")));
    EXPECT_FALSE(fs::exists(at("in/song.mp3")));
    ASSERT_TRUE(fs::exists(trashFiles() / "song.mp3"));
    EXPECT_TRUE(fs::exists(at("data/Trash/info/song.mp3.trashinfo")));
    std::ifstream info(at("data/Trash/info/song.mp3.trashinfo"));
    const std::string text{std::istreambuf_iterator<char>(info), {}};
    EXPECT_NE(text.find("Path="), std::string::npos) << text;
}

TEST_F(Trash, ALinkGoesItselfAndFoldersAndMissingFilesAreRefused) {
    fs::create_directories(at("in/folder"));
    write(at("target"), "kept");
    fs::create_symlink(at("target"), at("in/link"));
    struct Case {
        const char* name;
        bool refused;
    };
    for (const Case c : {Case{"link", false}, Case{"folder", true}, Case{"none", true}}) {
        const std::error_code error = MoveToTrash(at("in/") + c.name);
        EXPECT_EQ(static_cast<bool>(error), c.refused) << c.name;
    }
    EXPECT_TRUE(fs::is_symlink(trashFiles() / "link"));
    EXPECT_TRUE(fs::is_directory(at("in/folder")));
    EXPECT_FALSE(fs::exists(trashFiles() / "folder"));
    std::ifstream target(at("target"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), "kept");
}

TEST_F(Trash, WithoutATrashTheFileStaysWhereItIs) {
    // No data folder can be made below a file; the file must not end up anywhere else instead,
    // such as in the current folder.
    write(at("blocker"), "");
    const test::ScopedVariable noData("XDG_DATA_HOME", at("blocker/data").c_str());
    fs::create_directories(at("in"));
    fs::create_directories(at("current"));
    write(at("in/a"), "a");
    const fs::path saved = fs::current_path();
    fs::current_path(at("current"));
    const std::error_code error = MoveToTrash(at("in/a"));
    fs::current_path(saved);
    EXPECT_TRUE(error);
    EXPECT_TRUE(fs::exists(at("in/a")));
    EXPECT_TRUE(fs::is_empty(at("current")));
}

TEST_F(Trash, ADeleteRuleWithTheTrashChosenPutsTheFileThere) {
    fs::create_directories(at("in"));
    write(at("in/a"), "a");
    ruleactionrec remove;
    remove.raction = rDelete;
    RuleRec rule;
    rule.actions = {remove};
    rule.actioncnt = 1;
    CurrentFiles current;
    current.entries.push_back({"a", false, 0, 0.0, {}});
    SystemEnvironment environment = DesktopEnvironment();
    const auto outcomes =
        RunRuleActions(rule, {0}, current, at("in"), {NameClash::Replace, true}, environment);
    EXPECT_FALSE(outcomes[0].failed);
    EXPECT_FALSE(fs::exists(at("in/a")));
    EXPECT_TRUE(fs::exists(trashFiles() / "a"));
}

} // namespace
} // namespace lp
