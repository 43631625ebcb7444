// A log kept open between lines follows whatever happens to its file and the folders above it
// meanwhile: the next line always goes to the file the log's path names by then, never into one
// that was removed, renamed away or replaced, however many lines went before.

#include "engine/activity_log.h"
#include "globals/temp_folder.h"
#include "support/posix/private_mounts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace lp {
namespace {

namespace fs = std::filesystem;

ActivityEntry deletion(const std::string& file) {
    ActivityEntry entry;
    entry.time = "2026-12-08T09:12:33+01:00";
    entry.folder = "Folder";
    entry.rule = "Rule";
    entry.action = "delete";
    entry.values = {file};
    return entry;
}

std::vector<std::string> deletedIn(const std::string& path) {
    std::istringstream in(test::readBytes(path));
    std::vector<std::string> files;
    for (std::string line; std::getline(in, line);)
        files.push_back(ParseActivityLine(line).value().values.at(0));
    return files;
}

TEST(ActivityLogKeptOpen, FollowsItsPathWhateverHappensBetweenTwoLines) {
    struct Case {
        const char* what;
        // Done to the folder that holds the log (its path leads there through a link).
        void (*meanwhile)(const std::string& folder);
        // Whether the lines before stay where they were written, under folder/activity.log.
        bool earlierLinesThere;
    };
    const Case cases[] = {
        {"the log removed", [](const std::string& folder) { fs::remove(folder + "/activity.log"); },
         false},
        {"the log renamed aside",
         [](const std::string& folder) {
             fs::rename(folder + "/activity.log", folder + "/activity.log.old");
         },
         false},
        {"the log replaced by another file",
         [](const std::string& folder) {
             test::writeBytes(folder + "/new", "");
             fs::rename(folder + "/new", folder + "/activity.log");
         },
         false},
        {"its folder renamed",
         [](const std::string& folder) { fs::rename(folder, folder + "-old"); }, false},
        {"its folder removed", [](const std::string& folder) { fs::remove_all(folder); }, false},
        {"the link on its path led elsewhere",
         [](const std::string& folder) {
             const fs::path real = fs::path(folder).parent_path();
             const fs::path link = real.parent_path() / "link";
             fs::create_directories(real.string() + "-other");
             fs::remove(link);
             fs::create_directory_symlink(real.string() + "-other", link);
         },
         false},
        {"nothing but its folder's mode and times changed",
         [](const std::string& folder) {
             fs::permissions(folder, fs::perms::owner_all);
             fs::last_write_time(folder + "/activity.log", fs::file_time_type::clock::now());
         },
         true},
    };
    // Before the change, one line, and then enough for the log to have looked at its path again
    // on its own in between.
    for (const int before : {1, 40}) {
        for (const Case& c : cases) {
            test::TempFolder temp;
            const std::string folder = temp.file("real/state");
            fs::create_directories(folder);
            fs::create_directory_symlink(temp.file("real"), temp.file("link"));
            const std::string path = temp.file("link/state/activity.log");
            std::vector<std::string> said;
            ActivityLog log(path, [&](const std::string& message) { said.push_back(message); });
            std::vector<std::string> earlier;
            for (int i = 0; i < before; ++i) {
                earlier.push_back("/in/" + std::to_string(i));
                log.append(deletion(earlier.back()));
            }
            c.meanwhile(folder);
            log.append(deletion("/in/after"));

            const std::string where = std::string(c.what) + ", " + std::to_string(before);
            std::vector<std::string> expected{"/in/after"};
            if (c.earlierLinesThere)
                expected.insert(expected.begin(), earlier.begin(), earlier.end());
            EXPECT_EQ(deletedIn(path), expected) << where;
            EXPECT_TRUE(said.empty()) << where;
        }
    }
}

// Whatever is put at the log's name that is not a file of its own (a link, a second name of
// another file, a pipe) is never written through: the next line is in a file of the log's own at
// its path, and what the name led to stays as it was, or is not made.
TEST(ActivityLogKeptOpen, NeverWritesThroughWhatIsPutAtItsName) {
    struct Case {
        const char* what;
        void (*put)(const std::string& notes, const std::string& at);
        const char* notesAfter; // nullptr: notes must not exist
    };
    const Case cases[] = {
        {"a link to another file",
         [](const std::string& notes, const std::string& at) { fs::create_symlink(notes, at); },
         "mine"},
        {"a link leading nowhere",
         [](const std::string& notes, const std::string& at) {
             fs::remove(notes);
             fs::create_symlink(notes, at);
         },
         nullptr},
        {"a second name of another file",
         [](const std::string& notes, const std::string& at) { fs::create_hard_link(notes, at); },
         "mine"},
        {"a pipe",
         [](const std::string&, const std::string& at) {
             ASSERT_EQ(::mkfifo(at.c_str(), 0600), 0);
         },
         "mine"},
    };
    for (const bool openBefore : {true, false}) {
        for (const Case& c : cases) {
            test::TempFolder temp;
            const std::string path = temp.file("activity.log"), notes = temp.file("notes");
            test::writeBytes(notes, "mine");
            ActivityLog log(path);
            if (openBefore)
                log.append(deletion("/in/first"));
            fs::remove(path);
            c.put(notes, temp.file("put"));
            fs::rename(temp.file("put"), path);
            log.append(deletion("/in/after"));

            const std::string where = std::string(c.what) + (openBefore ? ", log open" : "");
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path))) << where;
            EXPECT_EQ(deletedIn(path), std::vector<std::string>{"/in/after"}) << where;
            if (c.notesAfter)
                EXPECT_EQ(test::readBytes(notes), c.notesAfter) << where;
            else
                EXPECT_FALSE(fs::exists(fs::symlink_status(notes))) << where;
        }
    }
}

// A folder mounted over the log's folder hides the open file: the next line is at the path as
// it is now, inside the mounted folder.
TEST(ActivityLogKeptOpen, FollowsAFolderMountedOverItsOwn) {
    // The log must live in the namespace the mount is made in, as a program does.
    if (!test::privateMountsPermitted())
        GTEST_SKIP() << "needs the right to mount";
    test::TempFolder temp;
    const std::string folder = temp.file("state"), over = temp.file("over");
    fs::create_directories(folder);
    fs::create_directories(over);
    ActivityLog log(folder + "/activity.log");
    log.append(deletion("/in/first"));
    const test::ScopedMount mount(over, folder, nullptr, MS_BIND);
    ASSERT_TRUE(mount.mounted());
    log.append(deletion("/in/after"));
    EXPECT_EQ(deletedIn(folder + "/activity.log"), std::vector<std::string>{"/in/after"});
}

TEST(ActivityLogKeptOpen, CountsWhatAnotherWriterAddedWhenItComesToRotate) {
    const std::string line = FormatActivityLine(deletion("/in/x10")) + '\n';
    test::TempFolder temp;
    const std::string path = temp.file("state/activity.log");
    const std::uintmax_t limit = 20 * line.size();
    ActivityLog sorting(
        path, [](const std::string&) {}, limit);
    sorting.append(deletion("/in/s10"));
    {
        // Another writer fills the log up to its limit without rotating it.
        ActivityLog undo(
            path, [](const std::string&) {}, limit);
        for (int i = 1; i < 20; ++i)
            undo.append(deletion("/in/u" + std::to_string(10 + i)));
    }
    ASSERT_EQ(deletedIn(path).size(), 20u);
    // The log never grows past its limit by more than its own few lines.
    for (int i = 1; i <= 16; ++i)
        sorting.append(deletion("/in/s" + std::to_string(10 + i)));
    EXPECT_TRUE(fs::exists(path + ".1"));
    EXPECT_LE(deletedIn(path + ".1").size(), 20u + 16u);
}

} // namespace
} // namespace lp
