// What only POSIX file systems have: permission bits, pipes, hard links made with link(2),
// and a second file system at /dev/shm.

#include "platform/file_operations_fixture.h"
#include "private_mounts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using FileOperations = test::FileOperationsTest;
using test::readBytes;
using test::writeBytes;

TEST_F(FileOperations, ACopyKeepsThePermissionBitsAndTheExactWriteTime) {
    writeBytes(at("in/a"), "new content");
    ::chmod(at("in/a").c_str(), 0751);
    const timespec old{1'600'000'000, 0};
    const timespec times[2] = {old, old};
    ::utimensat(AT_FDCWD, at("in/a").c_str(), times, 0);
    writeBytes(at("out/a"), "old content that is longer");

    EXPECT_FALSE(CopyFileReplacing(at("in/a"), at("out/a")));
    EXPECT_EQ(readBytes(at("out/a")), "new content");
    struct stat copied {};
    ASSERT_EQ(::stat(at("out/a").c_str(), &copied), 0);
    EXPECT_EQ(copied.st_mode & 07777, 0751u);
    EXPECT_EQ(copied.st_mtim.tv_sec, old.tv_sec);
}

TEST_F(FileOperations, ACopyOfAPipeFailsWithoutBlocking) {
    writeBytes(at("out/kept"), "kept");
    ::mkfifo(at("in/pipe").c_str(), 0600);
    EXPECT_TRUE(CopyFileReplacing(at("in/pipe"), at("out/pipe")));
    EXPECT_EQ(namesIn("out"), std::vector<std::string>{"kept"});
}

TEST_F(FileOperations, ALinkOrAMountedViewOfTheSourceFailsAndKeepsIt) {
    writeBytes(at("in/a"), "a");
    fs::create_directories(at("alias"));
    fs::create_symlink(at("in/a"), at("out/link"));
    // The folder seen again through a bind mount: a rename fails across the mounts, so the move
    // takes the copy-then-delete road.
    const test::ScopedMount alias(at("in"), at("alias"), nullptr, MS_BIND);
    std::vector<std::string> targets{at("out/link")};
    if (alias.mounted())
        targets.push_back(at("alias/a"));
    for (const std::string& target : targets) {
        EXPECT_TRUE(CopyFileReplacing(at("in/a"), target)) << target;
        EXPECT_TRUE(MoveFileReplacing(at("in/a"), target)) << target;
        EXPECT_EQ(readBytes(at("in/a")), "a") << target;
        EXPECT_EQ(readBytes(target), "a") << target;
    }
    EXPECT_TRUE(fs::is_symlink(at("out/link")));
    EXPECT_EQ(namesIn("in"), std::vector<std::string>{"a"}) << "nothing left behind";
    if (!alias.mounted())
        GTEST_SKIP() << "no bind mount permitted: that case was left out";
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
