// Moves and copies that never replace, where links, a second file system and inode numbers come
// in.

#include "platform/file_identity.h"
#include "platform/file_operations.h"
#include "platform/no_replace_fixture.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

class NoReplaceLinks : public test::NoReplaceTest {};

TEST_F(NoReplaceLinks, ADanglingLinkAtTheDestinationIsAsTakenAsAFile) {
    fs::create_symlink(at("nowhere"), at("out/a"));
    for (const bool move : {true, false}) {
        writeBytes(at("in/a"), "source");
        const std::error_code error = move ? MoveFileNoReplace(at("in/a"), at("out/a"))
                                           : CopyFileNoReplace(at("in/a"), at("out/a"));
        EXPECT_EQ(error, std::errc::file_exists) << move;
        EXPECT_EQ(readBytes(at("in/a")), "source") << move;
        EXPECT_EQ(fs::read_symlink(at("out/a")), at("nowhere")) << move;
        EXPECT_TRUE(leftovers("out").empty()) << move;
    }
}

TEST_F(NoReplaceLinks, AcrossFileSystemsAnOccupiedNameKeepsBothFilesAndLeavesNothingBehind) {
    fs::create_directories(at("far"));
    const test::ScopedMount far("none", at("far"), "tmpfs", 0);
    if (!far.mounted())
        GTEST_SKIP() << "no second file system could be mounted";
    for (const bool move : {true, false}) {
        writeBytes(at("in/a"), "source");
        writeBytes(at("far/a"), "there");
        const std::error_code error = move ? MoveFileNoReplace(at("in/a"), at("far/a"))
                                           : CopyFileNoReplace(at("in/a"), at("far/a"));
        EXPECT_EQ(error, std::errc::file_exists) << move;
        EXPECT_EQ(readBytes(at("in/a")), "source") << move;
        EXPECT_EQ(readBytes(at("far/a")), "there") << move;
        EXPECT_TRUE(leftovers("far").empty()) << move;
        EXPECT_TRUE(leftovers("in").empty()) << move;

        EXPECT_FALSE(move ? MoveFileNoReplace(at("in/a"), at("far/b"))
                          : CopyFileNoReplace(at("in/a"), at("far/b")));
        EXPECT_EQ(readBytes(at("far/b")), "source") << move;
        EXPECT_EQ(fs::exists(at("in/a")), !move) << move;
        fs::remove(at("far/b"));
    }
}

TEST_F(NoReplaceLinks, ALinkMovesOnlyWhereItsNameIsFree) {
    writeBytes(at("target"), "target");
    fs::create_symlink(at("target"), at("in/link"));
    writeBytes(at("out/link"), "there");
    EXPECT_EQ(MoveFileNoReplace(at("in/link"), at("out/link")), std::errc::file_exists);
    EXPECT_TRUE(fs::is_symlink(at("in/link")));
    EXPECT_EQ(readBytes(at("out/link")), "there");

    // A relative link moved to another folder is written anew, and still never replaces.
    fs::create_symlink("../target", at("in/rel"));
    writeBytes(at("out/rel"), "there");
    EXPECT_EQ(MoveFileNoReplace(at("in/rel"), at("out/rel")), std::errc::file_exists);
    EXPECT_TRUE(fs::is_symlink(at("in/rel")));
    EXPECT_EQ(readBytes(at("out/rel")), "there");
    EXPECT_FALSE(MoveFileNoReplace(at("in/rel"), at("out/rel2")));
    EXPECT_EQ(readBytes(at("out/rel2")), "target");
    EXPECT_TRUE(leftovers("out").empty());
}

TEST_F(NoReplaceLinks, TheIdentityIsTheInodesAndOfALinkItself) {
    writeBytes(at("in/a"), "12345");
    fs::create_symlink(at("in/a"), at("in/link"));
    const auto file = IdentifyFile(at("in/a"));
    ASSERT_TRUE(file);
    struct stat status {};
    ASSERT_EQ(::stat(at("in/a").c_str(), &status), 0);
    EXPECT_EQ(file->size, 5u);
    EXPECT_EQ(file->inode, static_cast<std::uint64_t>(status.st_ino));
    EXPECT_EQ(file->modifiedNs, status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec);
    const auto link = IdentifyFile(at("in/link"));
    ASSERT_TRUE(link);
    EXPECT_NE(link->inode, file->inode);
    EXPECT_EQ(IdentifyFile(at("in/none")), std::nullopt);
    EXPECT_EQ(IdentifyFile(at("in")), std::nullopt);
    writeBytes(at("in/a"), "123456");
    EXPECT_NE(IdentifyFile(at("in/a")), file);
}

// The identity a move gives back for the log is the one a look at the destination finds right
// afterwards, whatever was moved and however: a rename, a link made anew, a copy to another file
// system.
TEST_F(NoReplaceLinks, AMoveTellsTheIdentityOfWhatItLeftAtTheDestination) {
    fs::create_directories(at("far"));
    const test::ScopedMount far("none", at("far"), "tmpfs", 0);
    struct Case {
        const char* what;
        bool replacing;
        bool link;
        bool acrossFileSystems;
    };
    const Case cases[] = {
        {"a file, never replacing", false, false, false},
        {"a file, replacing", true, false, false},
        {"a link, never replacing", false, true, false},
        {"a link, replacing", true, true, false},
        {"a file to another file system, never replacing", false, false, true},
        {"a file to another file system, replacing", true, false, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        if (c.acrossFileSystems && !far.mounted())
            continue;
        const std::string source = at("in/m" + std::to_string(n));
        const std::string destination =
            at((c.acrossFileSystems ? "far/m" : "out/m") + std::to_string(n++));
        writeBytes(at("in/target"), "target content");
        if (c.link)
            fs::create_symlink("target", source);
        else
            writeBytes(source, "some content");
        if (c.replacing)
            writeBytes(destination, "there before");
        std::optional<FileIdentity> moved;
        const std::error_code error = c.replacing ? MoveFileReplacing(source, destination, moved)
                                                  : MoveFileNoReplace(source, destination, moved);
        ASSERT_FALSE(error) << c.what << ": " << error.message();
        EXPECT_FALSE(fs::exists(fs::symlink_status(source))) << c.what;
        ASSERT_TRUE(moved) << c.what;
        EXPECT_EQ(moved, IdentifyFile(destination)) << c.what;
    }
}

} // namespace
} // namespace lp::platform
