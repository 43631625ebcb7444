// The saved configuration may hold a password: only its owner may read it.

#include "globals/config_file.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace lp {
namespace {

TEST(ConfigFile, SaveCreatesAPrivateFile) {
    test::TempFolder folder;
    const std::string path = folder.file("bxconf.ini");
    test::writeBytes(path, "old content");
    ::chmod(path.c_str(), 0644);
    ServiceTable table;
    ASSERT_EQ(WriteConfigFile(path, table), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

} // namespace
} // namespace lp
