#include "platform/atomic_file_fixture.h"

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using AtomicFile = test::AtomicFileTest;

TEST_F(AtomicFile, ReplacesTheFileAndLeavesNoTemporaryFile) {
    const std::string path = file("target");
    write(path, "old");
    const std::error_code error = WriteFileAtomically(path, std::string("new\0bytes", 9));
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(read(path), std::string("new\0bytes", 9));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, FailureKeepsTheOldStateAndRemovesTheTemporaryFile) {
    EXPECT_EQ(WriteFileAtomically(file("no/such/folder/x"), "x"),
              std::errc::no_such_file_or_directory);
    fs::create_directory(file("busy"));
    write(file("busy/inside"), "kept");
    EXPECT_TRUE(WriteFileAtomically(file("busy"), "x"));
    EXPECT_EQ(read(file("busy/inside")), "kept");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, KeepingTheOldFileNeverReplacesAKeptOne) {
    const std::string path = file("conf");
    std::string keptAs = "stale";
    ASSERT_FALSE(ReplaceFileKeepingOld(path, "first", keptAs));
    EXPECT_EQ(keptAs, "");
    for (const char* expected : {".bad", ".bad1", ".bad2"}) {
        write(path, expected);
        ASSERT_FALSE(ReplaceFileKeepingOld(path, "new", keptAs));
        EXPECT_EQ(keptAs, path + expected);
        EXPECT_EQ(read(path), "new");
    }
    EXPECT_EQ(read(path + ".bad"), ".bad");
    EXPECT_EQ(read(path + ".bad1"), ".bad1");
    EXPECT_EQ(read(path + ".bad2"), ".bad2");
    EXPECT_EQ(entries(), 4u);
}

// The new content is written before anything happens to the old file: a save that cannot even
// make its temporary file (its name is too long, or the folder is not writable) leaves the old
// file where it was and keeps nothing aside.
TEST_F(AtomicFile, AFailedSaveLeavesTheOldFileInPlace) {
    const std::string longName = file(std::string(250, 'n'));
    write(longName, "old");
    std::string keptAs;
    EXPECT_EQ(ReplaceFileKeepingOld(longName, "new", keptAs), std::errc::filename_too_long);
    EXPECT_EQ(read(longName), "old");
    EXPECT_EQ(keptAs, "");
    EXPECT_EQ(entries(), 1u);
}

} // namespace
} // namespace lp::platform
