// What only POSIX file systems have: permission bits that refuse a save, and symbolic links
// that any user may make.

#include "platform/atomic_file_fixture.h"
#include "without_permission_override.h"

#include <cerrno>
#include <sys/stat.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using AtomicFile = test::AtomicFileTest;

TEST_F(AtomicFile, AFolderThatCannotBeWrittenFailsTheSaveAndKeepsTheFile) {
    fs::create_directory(file("locked"));
    const std::string inside = file("locked/conf");
    write(inside, "old");
    fs::permissions(file("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    // The superuser writes into any folder, so the saves run as any user would run them.
    const auto replaced = test::runWithoutPermissionOverride([&] {
        std::string keptAs;
        return static_cast<long long>(ReplaceFileKeepingOld(inside, "new", keptAs).value());
    });
    const auto written = test::runWithoutPermissionOverride(
        [&] { return static_cast<long long>(WriteFileAtomically(inside, "new").value()); });
    fs::permissions(file("locked"), fs::perms::owner_all);
    EXPECT_EQ(replaced, EACCES);
    EXPECT_EQ(written, EACCES);
    EXPECT_EQ(read(inside), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(file("locked")), {}), 1);
}

struct LinkCase {
    const char* name;
    std::string linkText;   // what the link holds, relative to the test folder's "links"
    const char* targetPath; // the file it finally names, inside the test folder
    bool targetExists;
    mode_t expectedMode;
};

class AtomicFileLink : public AtomicFile, public testing::WithParamInterface<LinkCase> {};

// A save through a symbolic link replaces the file the link points at, beside that file, and the
// link stays as it was.
TEST_P(AtomicFileLink, ReplacesTheFileTheLinkNames) {
    const LinkCase& c = GetParam();
    fs::create_directories(file("links"));
    fs::create_directories(file("real"));
    const std::string target = file(c.targetPath);
    if (c.targetExists) {
        write(target, "old");
        ::chmod(target.c_str(), 0640);
    }
    const std::string link = file("links/bxconf.ini");
    fs::create_symlink(c.linkText, link);
    fs::create_symlink("../real/hop", file("links/chain"));
    fs::create_symlink("bxconf.ini", file("real/hop"));

    std::string keptAs;
    ASSERT_FALSE(ReplaceFileKeepingOld(link, "new", keptAs));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), c.linkText);
    EXPECT_EQ(read(target), "new");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.expectedMode);
    if (c.targetExists)
        EXPECT_EQ(fs::canonical(keptAs), fs::canonical(target + ".bad"));
    else
        EXPECT_EQ(keptAs, "");
    if (c.targetExists) {
        EXPECT_EQ(read(target + ".bad"), "old");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(file("links")), {}), 2); // the links alone
}

INSTANTIATE_TEST_SUITE_P(
    Links, AtomicFileLink,
    testing::Values(LinkCase{"Relative", "../real/bxconf.ini", "real/bxconf.ini", true, 0640},
                    LinkCase{"ThroughAChain", "chain", "real/bxconf.ini", true, 0640},
                    LinkCase{"Dangling", "../real/bxconf.ini", "real/bxconf.ini", false, 0600}),
    [](const testing::TestParamInfo<LinkCase>& param) { return std::string(param.param.name); });

} // namespace
} // namespace lp::platform
