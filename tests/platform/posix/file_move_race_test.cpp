// A move across file systems while another program keeps renaming new versions over its source:
// no version may be deleted without having been copied.

#include "platform/file_operations.h"
#include "platform/file_operations_fixture.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <set>
#include <thread>

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

} // namespace
} // namespace lp::platform
