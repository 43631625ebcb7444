// What only Windows file systems have: the read-only mark, and names that differ only in letter
// case or separators naming the same file.

#include "platform/file_operations_fixture.h"

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using FileOperations = test::FileOperationsTest;
using test::readBytes;
using test::writeBytes;

TEST_F(FileOperations, TheSourceNamedInOtherLettersOrSeparatorsFailsAndKeepsIt) {
    writeBytes(at("in/a"), "a");
    for (const std::string& target : {at("in\\a"), at("in/A")}) {
        EXPECT_TRUE(CopyFileReplacing(at("in/a"), target)) << target;
        EXPECT_TRUE(MoveFileReplacing(at("in/a"), target)) << target;
        EXPECT_EQ(readBytes(at("in/a")), "a") << target;
    }
    EXPECT_EQ(namesIn("in"), std::vector<std::string>{"a"});
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
