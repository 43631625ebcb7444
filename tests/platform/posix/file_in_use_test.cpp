// Telling files that another program is still writing, on real files.

#include "globals/temp_folder.h"
#include "platform/file_in_use.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

TEST(FileInUse, OnlyAFileOpenForWritingIsInUse) {
    test::TempFolder temp;
    const std::string file = temp.file("download");
    test::writeBytes(file, "partial");
    fs::create_symlink(file, temp.file("link"));
    ASSERT_EQ(::mkfifo(temp.file("pipe").c_str(), 0600), 0);
    fs::create_directories(temp.file("folder"));
    {
        const int writer = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
        const bool told = FileOpenForWriting(file);
        ::close(writer);
        if (!told)
            GTEST_SKIP() << "this file system grants no leases";
    }
    struct Case {
        const char* what;
        std::string path;
        int openFlags; // -1: nobody has it open
        bool inUse;
        // As told of a path that a listing saw as a plain file (a pipe or a link in its place
        // since): a link that took the name is not followed.
        bool inUseAsListed;
    };
    const Case cases[] = {
        {"closed", file, -1, false, false},
        {"open for reading", file, O_RDONLY, false, false},
        {"open for writing", file, O_WRONLY, true, true},
        {"open for appending", file, O_WRONLY | O_APPEND, true, true},
        {"open for reading and writing", file, O_RDWR, true, true},
        {"a link to a file open for writing", temp.file("link"), O_WRONLY, true, false},
        {"a pipe is never opened, nor waited on", temp.file("pipe"), -1, false, false},
        {"a folder", temp.file("folder"), -1, false, false},
        {"nothing there", temp.file("missing"), -1, false, false},
    };
    for (const Case& c : cases) {
        const int holder = c.openFlags < 0 ? -1 : ::open(file.c_str(), c.openFlags | O_CLOEXEC);
        EXPECT_EQ(FileOpenForWriting(c.path), c.inUse) << c.what;
        EXPECT_EQ(ListedFileOpenForWriting(c.path), c.inUseAsListed) << c.what << ", as listed";
        if (holder >= 0)
            ::close(holder);
    }
    // A pipe reached through a folder swapped for a link is not opened either: the open alone
    // would let a writer waiting on it go on, into a pipe nobody reads.
    fs::create_directories(temp.file("elsewhere"));
    ASSERT_EQ(::mkfifo(temp.file("elsewhere/pipe").c_str(), 0600), 0);
    fs::create_directory_symlink(temp.file("elsewhere"), temp.file("swapped"));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, temp.file("elsewhere").c_str(), IN_OPEN), 0);
    EXPECT_FALSE(ListedFileOpenForWriting(temp.file("swapped/pipe")));
    EXPECT_FALSE(FileOpenForWriting(temp.file("swapped/pipe")));
    char event[4096];
    EXPECT_LT(::read(watch, event, sizeof event), 0) << "the pipe was opened";
    ::close(watch);
}

TEST(FileInUse, AWriterOpeningMeanwhileNeitherWaitsNorEndsTheProgram) {
    // A child opens the file for writing over and over while this process keeps taking and
    // giving back leases: the lease-break signals must neither end this process nor leave the
    // child waiting for the kernel's lease-break time.
    test::TempFolder temp;
    const std::string file = temp.file("busy");
    test::writeBytes(file, "x");
    const pid_t writer = ::fork();
    if (writer == 0) {
        for (int i = 0; i < 2000; ++i) {
            const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
        }
        ::_exit(0);
    }
    ASSERT_GT(writer, 0);
    // At least one lease is taken, however soon the child is done.
    int status = 0;
    do
        FileOpenForWriting(file);
    while (::waitpid(writer, &status, WNOHANG) == 0);
    EXPECT_TRUE(WIFEXITED(status));
    struct sigaction handler {};
    ASSERT_EQ(::sigaction(SIGIO, nullptr, &handler), 0);
    EXPECT_NE(handler.sa_handler, SIG_DFL) << "a lease-break signal would end the program";
}

} // namespace
} // namespace lp::platform
