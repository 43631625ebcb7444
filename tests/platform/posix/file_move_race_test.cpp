// A move across file systems while another program keeps renaming new versions over its source:
// no version may be deleted without having been copied.

#include "platform/file_in_use.h"
#include "platform/file_operations.h"
#include "platform/file_operations_fixture.h"
#include "platform/posix/source_claim.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

constexpr int kVersions = 1500;

std::string version(int number) {
    return "version " + std::to_string(number) + '\n' + std::string(8192, 'v');
}

using MoveRace = test::FileOperationsTest;

TEST_F(MoveRace, AMoveNeverDeletesAFileRenamedOverItsSource) {
    fs::create_directories(at("far"));
    fs::create_directories(at("versions"));
    const test::ScopedMount far("none", at("far"), "tmpfs", 0);
    if (!far.mounted())
        GTEST_SKIP() << "no second file system could be mounted";

    // The other program swaps each new version in, so that it never destroys one itself: every
    // version it made must still be somewhere afterwards.
    std::atomic<bool> stop{false};
    std::thread renamer([&] {
        const std::string source = at("in/a");
        for (int number = 0; number < kVersions && !stop; ++number) {
            const std::string made = at("versions/" + std::to_string(number));
            writeBytes(made, version(number));
            while (::renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, source.c_str(), RENAME_EXCHANGE) !=
                       0 &&
                   ::renameat2(AT_FDCWD, made.c_str(), AT_FDCWD, source.c_str(),
                               RENAME_NOREPLACE) != 0) {
            }
        }
        stop = true;
    });
    for (int move = 0; !stop; ++move)
        MoveFileReplacing(at("in/a"), at("far/" + std::to_string(move)));
    renamer.join();

    std::set<std::string> found;
    for (const char* folder : {"in", "versions", "far"})
        for (const auto& entry : fs::directory_iterator(at(folder))) {
            const std::string content = readBytes(entry.path().string());
            const auto number = std::stoi(content.substr(8));
            EXPECT_EQ(content, version(number)) << entry.path() << " is one whole version";
            found.insert(content);
        }
    EXPECT_EQ(found.size(), static_cast<std::size_t>(kVersions)) << "versions were lost";
}

// A move's source taken away from its name is deleted only while it is as it was copied: one a
// program still holding it open wrote to meanwhile stays taken until the move took its copy away,
// and then gets its name back, with what was written, also when the program put the file's write
// time back afterwards.
TEST_F(MoveRace, AClaimedSourceWrittenToSinceItWasCopiedIsGivenBack) {
    enum class Write { None, Appended, InPlaceDateKept, StillOpen };
    for (const Write write :
         {Write::None, Write::Appended, Write::InPlaceDateKept, Write::StillOpen}) {
        SCOPED_TRACE(static_cast<int>(write));
        const bool written = write != Write::None;
        writeBytes(at("in/a"), "copied");
        struct stat copied {};
        ASSERT_EQ(::stat(at("in/a").c_str(), &copied), 0);
        const int writer = ::open(at("in/a").c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(writer, 0);
        if (write == Write::StillOpen && !FileOpenForWriting(at("in/a"))) {
            ::close(writer);
            std::cout << "not checked here (this file system grants no leases): a writer\n";
            continue;
        }
        posix::SourceClaim claim;
        ASSERT_FALSE(claim.claim(at("in/a"), copied, at("in/.claimed")));
        // The system's clock for file times moves in steps of a few milliseconds: the write
        // comes a step after the claim, as any write a person or program makes does.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (write == Write::Appended) {
            ASSERT_EQ(::pwrite(writer, " and more", 9, 6), 9);
            // The size tells of the write even where the clock is too coarse to.
            ASSERT_EQ(::ftruncate(writer, 20), 0);
        } else if (write == Write::InPlaceDateKept) {
            ASSERT_EQ(::pwrite(writer, "COPIED", 6, 0), 6);
            const timespec times[2] = {copied.st_atim, copied.st_mtim};
            ASSERT_EQ(::futimens(writer, times), 0);
        }
        // A writer still holding the file open would write on into a removed one.
        if (write != Write::StillOpen)
            ::close(writer);
        const std::error_code removed = claim.remove();
        if (write == Write::StillOpen)
            ::close(writer);
        EXPECT_EQ(removed == std::errc::resource_unavailable_try_again, written);
        EXPECT_EQ(claim.held(), written);
        if (written) {
            EXPECT_FALSE(claim.giveBack());
        }
        EXPECT_FALSE(claim.held());
        EXPECT_FALSE(fs::exists(at("in/.claimed")));
        EXPECT_EQ(fs::exists(at("in/a")), written);
        if (write == Write::Appended) {
            EXPECT_EQ(fs::file_size(at("in/a")), 20u);
        } else if (write == Write::InPlaceDateKept) {
            EXPECT_EQ(readBytes(at("in/a")), "COPIED");
        }
    }
}

} // namespace
} // namespace lp::platform
