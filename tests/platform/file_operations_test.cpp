// Copy, move and delete on real files: nothing lost, nothing half written, folders left alone.

#include "file_operations_fixture.h"
#include "platform/file_operations.h"
#include "support/private_mounts.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;
using FileOperations = test::FileOperationsTest;

TEST_F(FileOperations, ACopyReplacesTheTargetKeepingModeAndWriteTime) {
    writeBytes(at("in/a"), "new content");
    ::chmod(at("in/a").c_str(), 0751);
    const timespec old{1'600'000'000, 0};
    const timespec times[2] = {old, old};
    ::utimensat(AT_FDCWD, at("in/a").c_str(), times, 0);
    writeBytes(at("out/a"), "old content that is longer");

    EXPECT_FALSE(CopyFileReplacing(at("in/a"), at("out/a")));
    EXPECT_EQ(readBytes(at("out/a")), "new content");
    EXPECT_EQ(readBytes(at("in/a")), "new content");
    struct stat copied {};
    ASSERT_EQ(::stat(at("out/a").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0751u);
    EXPECT_EQ(copied.st_mtim.tv_sec, old.tv_sec);
    EXPECT_EQ(namesIn("out"), std::vector<std::string>{"a"}) << "no temporary file is left";
}

TEST_F(FileOperations, FailuresLeaveEverythingAsItWas) {
    writeBytes(at("in/a"), "a");
    writeBytes(at("out/kept"), "kept");
    fs::create_directories(at("in/folder"));
    fs::create_directories(at("out/folder-target"));
    ::mkfifo(at("in/pipe").c_str(), 0600);
    struct Case {
        const char* what;
        std::error_code (*operation)(const std::string&, const std::string&);
        std::string from, to;
    };
    const Case cases[] = {
        {"copy into a missing folder", CopyFileReplacing, at("in/a"), at("missing/a")},
        {"copy of a missing file", CopyFileReplacing, at("in/none"), at("out/kept")},
        {"copy of a folder", CopyFileReplacing, at("in/folder"), at("out/folder")},
        {"copy over a folder", CopyFileReplacing, at("in/a"), at("out/folder-target")},
        {"copy of a pipe (never blocks)", CopyFileReplacing, at("in/pipe"), at("out/pipe")},
        {"move into a missing folder", MoveFileReplacing, at("in/a"), at("missing/a")},
        {"move of a folder", MoveFileReplacing, at("in/folder"), at("out/folder")},
        {"move over a folder", MoveFileReplacing, at("in/a"), at("out/folder-target")},
        {"move of a missing file", MoveFileReplacing, at("in/none"), at("out/kept")},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.operation(c.from, c.to)) << c.what;
        EXPECT_EQ(readBytes(at("in/a")), "a") << c.what;
        EXPECT_EQ(readBytes(at("out/kept")), "kept") << c.what;
        EXPECT_TRUE(fs::is_directory(at("in/folder"))) << c.what;
        EXPECT_EQ(namesIn("out"), (std::vector<std::string>{"folder-target", "kept"})) << c.what;
    }
    EXPECT_TRUE(DeleteFileEntry(at("in/folder")));
    EXPECT_TRUE(fs::is_directory(at("in/folder")));
    EXPECT_TRUE(DeleteFileEntry(at("in/none")));
}

TEST_F(FileOperations, ADestinationThatIsTheSourceItselfFailsAndKeepsIt) {
    writeBytes(at("in/a"), "a");
    fs::create_directories(at("alias"));
    ::link(at("in/a").c_str(), at("out/hard").c_str());
    fs::create_symlink(at("in/a"), at("out/link"));
    // The folder seen again through a bind mount: a rename fails across the mounts, so the move
    // takes the copy-then-delete road.
    const test::ScopedMount alias(at("in"), at("alias"), nullptr, MS_BIND);
    struct Case {
        const char* what;
        std::string to;
    };
    std::vector<Case> cases{{"the same path", at("in/a")},
                            {"the same path spelt otherwise", at("in//a")},
                            {"a hard link", at("out/hard")},
                            {"a link to it", at("out/link")}};
    if (alias.mounted())
        cases.push_back({"its folder through a bind mount", at("alias/a")});
    for (const Case& c : cases) {
        EXPECT_TRUE(CopyFileReplacing(at("in/a"), c.to)) << c.what;
        EXPECT_TRUE(MoveFileReplacing(at("in/a"), c.to)) << c.what;
        EXPECT_EQ(readBytes(at("in/a")), "a") << c.what;
        EXPECT_EQ(readBytes(c.to), "a") << c.what;
    }
    EXPECT_TRUE(fs::is_symlink(at("out/link")));
    EXPECT_EQ(namesIn("in"), std::vector<std::string>{"a"}) << "nothing left behind";
    if (!alias.mounted())
        GTEST_SKIP() << "no bind mount permitted: that case was left out";
}

TEST_F(FileOperations, AMoveRenamesAndReplaces) {
    writeBytes(at("in/a"), "moved");
    writeBytes(at("out/a"), "replaced");
    EXPECT_FALSE(MoveFileReplacing(at("in/a"), at("out/a")));
    EXPECT_FALSE(fs::exists(at("in/a")));
    EXPECT_EQ(readBytes(at("out/a")), "moved");
    EXPECT_FALSE(DeleteFileEntry(at("out/a")));
    EXPECT_FALSE(fs::exists(at("out/a")));
}

TEST_F(FileOperations, AMoveAcrossFileSystemsCopiesThenDeletes) {
    // Shared memory is a file system of its own on most machines.
    const fs::path other = "/dev/shm";
    struct stat here {
    }, there{};
    if (::stat(temp.path().c_str(), &here) != 0 || ::stat(other.c_str(), &there) != 0 ||
        here.st_dev == there.st_dev || ::access(other.c_str(), W_OK) != 0)
        GTEST_SKIP() << "no second writable file system";
    const std::string target = (other / ("larchpost-move-" + std::to_string(::getpid()))).string();
    writeBytes(at("in/a"), std::string(300'000, 'z'));
    ::chmod(at("in/a").c_str(), 0640);
    EXPECT_FALSE(MoveFileReplacing(at("in/a"), target));
    EXPECT_FALSE(fs::exists(at("in/a")));
    EXPECT_EQ(readBytes(target), std::string(300'000, 'z'));
    struct stat moved {};
    ::stat(target.c_str(), &moved);
    EXPECT_EQ(moved.st_mode & 07777, 0640u);
    fs::remove(target);
}

} // namespace
} // namespace lp::platform
