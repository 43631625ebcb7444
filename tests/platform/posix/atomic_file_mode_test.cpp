// The saved file is private to its owner, whatever the umask and the old file's mode.

#include "globals/temp_folder.h"
#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace lp::platform {
namespace {

TEST(AtomicFilePermissions, ReplacesTheFileWithAPrivateOne) {
    test::TempFolder temp;
    const std::string path = temp.file("target");
    test::writeBytes(path, "old");
    ::chmod(path.c_str(), 0666);
    const mode_t oldMask = ::umask(0);
    const std::error_code error = WriteFileAtomically(path, std::string("new\0bytes", 9));
    ::umask(oldMask);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(test::readBytes(path), std::string("new\0bytes", 9));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

} // namespace
} // namespace lp::platform
