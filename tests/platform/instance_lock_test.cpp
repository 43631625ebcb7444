// The lock behind the one-instance guard, on real files: held once, given up with its holder.

#include "globals/temp_folder.h"
#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using Attempt = ExclusiveFileLock::Attempt;

TEST(InstanceLock, OneHolderAtATimeAndFreeAgainOnceItGoes) {
    test::TempFolder temp;
    const std::string path = temp.file("Larchpost.lock");
    auto first = std::make_unique<ExclusiveFileLock>();
    ASSERT_EQ(first->tryLock(path), Attempt::Taken) << first->error();
    EXPECT_TRUE(first->held());
    EXPECT_EQ(first->tryLock(path), Attempt::Taken) << "the holder asking again";
    ExclusiveFileLock second;
    EXPECT_EQ(second.tryLock(path), Attempt::HeldElsewhere);
    EXPECT_FALSE(second.held());
    first.reset();
    EXPECT_EQ(second.tryLock(path), Attempt::Taken) << second.error();
    EXPECT_TRUE(fs::is_regular_file(path)) << "the file stays to be reused";
}

TEST(InstanceLock, ALockFileThatCannotBeMadeOrIsNoFileFailsWithAReason) {
    test::TempFolder temp;
    fs::create_directories(temp.file("folder"));
    for (const std::string& path : {temp.file("missing/Larchpost.lock"), temp.file("folder")}) {
        ExclusiveFileLock lock;
        EXPECT_EQ(lock.tryLock(path), Attempt::Failed) << path;
        EXPECT_FALSE(lock.held()) << path;
        EXPECT_NE(lock.error(), "") << path;
    }
}

TEST(InstanceLock, APrivateFolderIsMadeWithTheFoldersAboveIt) {
    test::TempFolder temp;
    test::writeBytes(temp.file("file"), "x");
    struct Case {
        const char* what;
        std::string folder;
        bool serves;
    };
    const Case cases[] = {
        {"new, two levels deep", temp.file("a/Larchpost"), true},
        {"there already", temp.file("a/Larchpost"), true},
        {"with a trailing separator", temp.file("b/Larchpost") + "/", true},
        {"a file in its place", temp.file("file"), false},
        {"a relative path", "Larchpost-relative", false},
        {"no path at all", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(!MakePrivateFolder(c.folder).has_value(), c.serves) << c.what;
        if (c.serves) {
            EXPECT_TRUE(fs::is_directory(c.folder)) << c.what;
        }
    }
    EXPECT_FALSE(fs::exists("Larchpost-relative"));
}

} // namespace
} // namespace lp::platform
