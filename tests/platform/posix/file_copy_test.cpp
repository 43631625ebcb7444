// What a copy writes and opens: holes stay holes, a program killed part way leaves nothing, old
// leftovers are cleared, and nothing but a regular file is ever opened.

#include "platform/file_operations.h"
#include "platform/file_operations_fixture.h"
#include "platform/file_reading.h"
#include "platform/posix/pending_file.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

using Operation = std::error_code (*)(const std::string&, const std::string&);

struct Case {
    const char* what;
    Operation operation;
    std::string to; // relative to the temporary folder
};

class FileCopy : public test::FileOperationsTest {
protected:
    void SetUp() override {
        FileOperationsTest::SetUp();
        fs::create_directories(at("far"));
    }
    // A copy within the file system, and a move onto a second one when one can be mounted.
    std::vector<Case> copyAndMoveAcross(const std::string& name) const {
        std::vector<Case> cases{{"copy", CopyFileReplacing, "out/" + name}};
        if (far.mounted())
            cases.push_back({"move to another file system", MoveFileReplacing, "far/" + name});
        return cases;
    }
    test::ScopedMount far{"none", at("far"), "tmpfs", 0};
};

TEST_F(FileCopy, HolesStayHoles) {
    constexpr off_t size = 16 << 20;
    std::string expected(size, '\0');
    expected.replace(0, 4, "head");
    expected.replace(size / 2, 6, "middle");
    for (const Case& c : copyAndMoveAcross("sparse")) {
        {
            const int fd = ::open(at("in/sparse").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::ftruncate(fd, size), 0);
            ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
            ASSERT_EQ(::pwrite(fd, "middle", 6, size / 2), 6);
            ::close(fd);
        }
        struct stat source {};
        ::stat(at("in/sparse").c_str(), &source);
        if (source.st_blocks * 512 >= size)
            GTEST_SKIP() << "the temporary folder's file system keeps no holes";

        EXPECT_FALSE(c.operation(at("in/sparse"), at(c.to))) << c.what;
        struct stat copied {};
        ASSERT_EQ(::stat(at(c.to).c_str(), &copied), 0) << c.what;
        EXPECT_EQ(copied.st_size, size) << c.what;
        EXPECT_LT(copied.st_blocks * 512, 1 << 20) << c.what;
        EXPECT_TRUE(readBytes(at(c.to)) == expected) << c.what;
    }
}

TEST_F(FileCopy, AProgramKilledDuringACopyLeavesNothingBehind) {
    const std::string content(1 << 20, 'k');
    for (const Case& c : copyAndMoveAcross("a")) {
        writeBytes(at("in/a"), content);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Writing past this limit ends the process on the spot, as a kill would.
            const rlimit noCore{0, 0}, small{64 << 10, 64 << 10};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::setrlimit(RLIMIT_FSIZE, &small);
            c.operation(at("in/a"), at(c.to));
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << c.what;
        EXPECT_TRUE(fs::is_empty(fs::path(at(c.to)).parent_path())) << c.what;
        EXPECT_EQ(namesIn("in"), std::vector<std::string>{"a"}) << c.what;
        EXPECT_TRUE(readBytes(at("in/a")) == content) << c.what;
    }
}

TEST_F(FileCopy, OnlyOurOldTemporaryCopiesAreCleared) {
    struct Entry {
        std::string name;
        enum { File, Folder, Link } kind;
        bool removed;
    };
    const Entry entries[] = {
        {".larchpost-copy-Ab12Cd", Entry::File, true},
        {".larchpost-copy-Ab12C", Entry::File, false},
        {".larchpost-copy-Ab12Cde", Entry::File, false},
        {".larchpost-copy-Folder", Entry::Folder, false},
        {".larchpost-copy-Linked", Entry::Link, false},
        {".larchpost-move-Ab12Cd", Entry::File, false},
        {"song.mp3", Entry::File, false},
    };
    for (const Entry& e : entries) {
        if (e.kind == Entry::File)
            writeBytes(at("out/" + e.name), "x");
        else if (e.kind == Entry::Folder)
            fs::create_directories(at("out/" + e.name));
        else
            fs::create_symlink("song.mp3", at("out/" + e.name));
    }
    posix::RemoveStaleCopies(at("out"), std::time(nullptr) + 60);
    EXPECT_EQ(namesIn("out").size(), std::size(entries)) << "nothing is a day old yet";
    posix::RemoveStaleCopies(at("out"), std::time(nullptr) + 2 * 24 * 60 * 60);
    for (const Entry& e : entries)
        EXPECT_EQ(fs::exists(fs::symlink_status(at("out/" + e.name))), !e.removed) << e.name;
}

TEST_F(FileCopy, DevicesPipesAndSocketsAreNeverOpened) {
    std::vector<std::string> names{"pipe", "socket"};
    ASSERT_EQ(::mkfifo(at("in/pipe").c_str(), 0600), 0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    at("in/socket").copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    if (::mknod(at("in/device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) // a null device
        names.push_back("device");
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, at("in").c_str(), IN_OPEN), 0);

    for (const std::string& name : names)
        for (const Case& c : copyAndMoveAcross(name)) {
            EXPECT_TRUE(c.operation(at("in/" + name), at(c.to))) << c.what << ' ' << name;
            EXPECT_TRUE(fs::exists(fs::symlink_status(at("in/" + name)))) << c.what << ' ' << name;
            EXPECT_FALSE(fs::exists(fs::symlink_status(at(c.to)))) << c.what << ' ' << name;
        }
    char event[4096];
    EXPECT_LT(::read(watch, event, sizeof event), 0) << "something in the folder was opened";
    ::close(watch);
    ::close(listener);
}

// The look for a copy made already compares bytes: what stands at a name by then may be anything,
// and a pipe there must not keep the comparison waiting for a writer that never comes.
TEST_F(FileCopy, AComparisonOfBytesReadsPlainFilesOnly) {
    writeBytes(at("in/a"), "same bytes");
    writeBytes(at("in/b"), "same bytes");
    writeBytes(at("in/c"), "other byte");
    writeBytes(at("in/d"), "same bytes and more");
    ASSERT_EQ(::mkfifo(at("in/pipe").c_str(), 0600), 0);
    fs::create_symlink(at("in/b"), at("in/link"));
    fs::create_directory(at("in/folder"));
    const struct {
        const char* other;
        bool same;
    } cases[] = {{"in/b", true},     {"in/c", false},      {"in/d", false},   {"in/pipe", false},
                 {"in/link", false}, {"in/folder", false}, {"in/none", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(SameFileBytes(at("in/a"), at(c.other)), c.same) << c.other;
        EXPECT_EQ(SameFileBytes(at(c.other), at("in/a")), c.same) << c.other;
    }
}

} // namespace
} // namespace lp::platform
