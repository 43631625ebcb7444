#include "platform/atomic_file.h"
#include "support/without_permission_override.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "larchpost-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    fs::path folder_;
};

TEST_F(AtomicFile, ReplacesTheFileWithAPrivateOne) {
    const std::string path = file("target");
    write(path, "old");
    ::chmod(path.c_str(), 0666);
    const mode_t oldMask = ::umask(0);
    const std::error_code error = WriteFileAtomically(path, std::string("new\0bytes", 9));
    ::umask(oldMask);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(read(path), std::string("new\0bytes", 9));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
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
