// What only Windows file systems have: the read-only mark, and the same file under another name
// refused (the rename onto a hard link would drop that name).

#include "platform/file_operations_fixture.h"

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

TEST_F(FileOperations, TheSameFileUnderAnotherNameIsRefusedAndKept) {
    writeBytes(at("in/a"), "a");
    fs::create_hard_link(at("in/a"), at("out/same"));
    EXPECT_TRUE(CopyFileReplacing(at("in/a"), at("out/same")));
    EXPECT_TRUE(MoveFileReplacing(at("in/a"), at("out/same")));
    EXPECT_TRUE(CopyFileReplacing(at("in/a"), at("in/A"))) << "names ignore letter case";
    EXPECT_EQ(readBytes(at("in/a")), "a");
    EXPECT_EQ(readBytes(at("out/same")), "a");
    // The very path, however spelt, is where the file should be already.
    for (const std::string& target : {at("in/a"), at("in\\a"), at("in/A")}) {
        EXPECT_FALSE(MoveFileReplacing(at("in/a"), target)) << target;
        EXPECT_EQ(readBytes(at("in/a")), "a") << target;
    }
}

TEST_F(FileOperations, ACopyKeepsTheReadOnlyMark) {
    writeBytes(at("in/a"), "a");
    fs::permissions(at("in/a"),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(CopyFileReplacing(at("in/a"), at("out/a")));
    EXPECT_EQ(readBytes(at("out/a")), "a");
    EXPECT_EQ(fs::status(at("out/a")).permissions() & fs::perms::owner_write, fs::perms::none);
    fs::permissions(at("in/a"), fs::perms::owner_write, fs::perm_options::add);
    fs::permissions(at("out/a"), fs::perms::owner_write, fs::perm_options::add);
}

} // namespace
} // namespace lp::platform
