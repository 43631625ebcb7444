// Copy, move and delete on real files: nothing lost, nothing half written, folders left alone.

#include "platform/file_operations_fixture.h"
#include "platform/path_separator.h"
#include "support/write_time.h"

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;
using FileOperations = test::FileOperationsTest;

TEST_F(FileOperations, ACopyReplacesTheTargetKeepingItsWriteTime) {
    writeBytes(at("in/a"), "new content");
    test::setLocalWriteTime(at("in/a"), 2020, 9, 13, 12, 26, 40);
    writeBytes(at("out/a"), "old content that is longer");

    EXPECT_FALSE(CopyFileReplacing(at("in/a"), at("out/a")));
    EXPECT_EQ(readBytes(at("out/a")), "new content");
    EXPECT_EQ(readBytes(at("in/a")), "new content");
    EXPECT_EQ(fs::last_write_time(at("out/a")), fs::last_write_time(at("in/a")));
    EXPECT_EQ(namesIn("out"), std::vector<std::string>{"a"}) << "no temporary file is left";
}

TEST_F(FileOperations, FailuresLeaveEverythingAsItWas) {
    writeBytes(at("in/a"), "a");
    writeBytes(at("out/kept"), "kept");
    fs::create_directories(at("in/folder"));
    fs::create_directories(at("out/folder-target"));
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
    fs::create_hard_link(at("in/a"), at("out/hard"));
    const std::string doubled = at("in") + kPathSeparator + kPathSeparator + "a";
    struct Case {
        const char* what;
        std::string to;
    };
    const std::vector<Case> cases{{"the same path", at("in/a")},
                                  {"the same path spelt otherwise", doubled},
                                  {"a hard link", at("out/hard")}};
    for (const Case& c : cases) {
        EXPECT_TRUE(CopyFileReplacing(at("in/a"), c.to)) << c.what;
        EXPECT_TRUE(MoveFileReplacing(at("in/a"), c.to)) << c.what;
        EXPECT_EQ(readBytes(at("in/a")), "a") << c.what;
        EXPECT_EQ(readBytes(c.to), "a") << c.what;
    }
    EXPECT_EQ(namesIn("in"), std::vector<std::string>{"a"}) << "nothing left behind";
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

} // namespace
} // namespace lp::platform
