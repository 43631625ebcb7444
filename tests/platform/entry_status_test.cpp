// Examining what stands at a path: the entry itself, what it reaches, and which mounted file
// system holds each, as a simulation needs them to foresee a rename.

#include "globals/temp_folder.h"
#include "platform/entry_status.h"
#include "support/private_mounts.h"
#include "support/special_entries.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

TEST(EntryStatus, TellsTheEntryWhatItReachesAndWhereEachIsMounted) {
    test::TempFolder temp;
    for (const char* folder : {"in", "out", "far", "alias"})
        fs::create_directories(temp.file(folder));
    const test::ScopedMount far("none", temp.file("far"), "tmpfs", 0);
    const test::ScopedMount alias(temp.file("out"), temp.file("alias"), nullptr, MS_BIND);
    if (!far.mounted() || !alias.mounted())
        GTEST_SKIP() << "no second file system or bind mount permitted";
    test::writeBytes(temp.file("in/file"), "f");
    test::writeBytes(temp.file("far/file"), "f");
    fs::create_symlink(temp.file("far/file"), temp.file("in/to-far"));
    fs::create_symlink("../out", temp.file("in/to-folder"));
    fs::create_symlink("nowhere", temp.file("in/dangling"));
    ASSERT_TRUE(test::makeSpecialEntry(test::SpecialEntry::Pipe, temp.file("in/pipe")));
    ASSERT_TRUE(test::makeSpecialEntry(test::SpecialEntry::Socket, temp.file("in/socket")));

    const auto volumeOf = [&](const char* folder) {
        return ExamineEntry(temp.file(folder)).volume;
    };
    const std::uint64_t here = volumeOf("in"), there = volumeOf("far");
    EXPECT_EQ(volumeOf("out"), here) << "one file system, one mount";
    EXPECT_NE(there, here);
    EXPECT_NE(volumeOf("alias"), here) << "a bind mount is a mount of its own";
    EXPECT_EQ(ExamineEntry(temp.file("alias")).device, ExamineEntry(temp.file("out")).device);

    struct Case {
        const char* path;
        bool exists, isFolder, isSpecial;
        PathLeadsTo leadsTo;
        std::uint64_t volume, entryVolume;
    };
    const Case cases[] = {
        {"in/file", true, false, false, PathLeadsTo::File, here, here},
        {"in/to-far", true, false, false, PathLeadsTo::File, there, here},
        {"in/to-folder", true, false, false, PathLeadsTo::Folder, here, here},
        {"in/dangling", true, false, false, PathLeadsTo::Nothing, 0, here},
        {"in/pipe", true, false, true, PathLeadsTo::Other, here, here},
        {"in/socket", true, false, true, PathLeadsTo::Other, here, here},
        {"in", true, true, false, PathLeadsTo::Folder, here, here},
        {"in/missing", false, false, false, PathLeadsTo::Nothing, 0, 0},
    };
    for (const Case& c : cases) {
        const EntryStatus status = ExamineEntry(temp.file(c.path));
        EXPECT_EQ(status.exists, c.exists) << c.path;
        EXPECT_EQ(status.isFolder, c.isFolder) << c.path;
        EXPECT_EQ(status.isSpecial, c.isSpecial) << c.path;
        EXPECT_EQ(status.leadsTo, c.leadsTo) << c.path;
        EXPECT_EQ(status.volume, c.volume) << c.path;
        EXPECT_EQ(status.entryVolume, c.entryVolume) << c.path;
    }
    EXPECT_TRUE(
        ExamineEntry(temp.file("in/to-far")).sameFileAs(ExamineEntry(temp.file("far/file"))));
    EXPECT_FALSE(
        ExamineEntry(temp.file("in/file")).sameFileAs(ExamineEntry(temp.file("far/file"))));
}

} // namespace
} // namespace lp::platform
