// Listing real folders: which entries, and what is known about each.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"
#include "platform/local_time.h"
#include "platform/utf8_path.h"
#include "support/write_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

TEST(FolderListing, AFolderThatCannotBeOpenedIsNotAnEmptyFolder) {
    test::TempFolder temp;
    EXPECT_FALSE(ListFolder(temp.file("missing"), false).has_value());
    test::writeBytes(temp.file("file"), "x");
    EXPECT_FALSE(ListFolder(temp.file("file"), true).has_value());
    const auto empty = ListFolder(temp.path().string() + "/", false);
    ASSERT_TRUE(empty.has_value());
    EXPECT_EQ(empty->size(), 1u); // just "file"
}

// A move's source while it is taken, or left so by a failure, is no file of the user's.
TEST(FolderListing, EveryEntryButDotAndDotDotAndOurWorkingFilesWithItsDetails) {
    test::TempFolder temp;
    test::writeBytes(temp.file(".larchpost-move-AbC123"), "a source taken");
    test::writeBytes(temp.file("data.bin"), std::string(5000, 'd'));
    test::writeBytes(temp.file(".hidden"), "h");
    fs::create_directories(temp.file("sub"));
    test::setLocalWriteTime(temp.file("data.bin"), 2024, 3, 9, 14, 7, 33);
    test::setLocalWriteTime(temp.file(".hidden"), 1975, 6, 1, 10, 0, 0);

    const auto listing = ListFolder(temp.path().string(), true);
    ASSERT_TRUE(listing.has_value());
    std::vector<FolderEntry> entries = *listing;
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, ".hidden");
    EXPECT_EQ(entries[0].date, LocalDateTime(1980, 1, 1)) << "before 1980 counts as 1980";
    EXPECT_EQ(entries[1].name, "data.bin");
    EXPECT_EQ(entries[1].size, 5000);
    EXPECT_EQ(entries[1].date, LocalDateTime(2024, 3, 9, 14, 7, 32)) << "two-second resolution";
    EXPECT_EQ(entries[2].name, "sub");
    EXPECT_TRUE(entries[2].isFolder);
    EXPECT_EQ(entries[2].size, 0);

    const auto namesOnly = ListFolder(temp.path().string(), false);
    ASSERT_TRUE(namesOnly.has_value());
    EXPECT_EQ(namesOnly->size(), 3u);
    std::vector<std::string> names;
    ASSERT_TRUE(ListNamesInto(temp.path().string(), names));
    EXPECT_EQ(names.size(), 3u);
}

TEST(FolderListing, NamesOutsideAsciiComeBackExactly) {
    test::TempFolder temp;
    const std::vector<std::string> names{"Bärbel – Grüße.mp3", "ünïcödé", "日本語.txt"}; // sorted
    for (const std::string& name : names)
        test::writeBytes(temp.path() / Utf8Path(name), "x");
    const auto listing = ListFolder(temp.path().string(), false);
    ASSERT_TRUE(listing.has_value());
    std::vector<std::string> listed;
    for (const FolderEntry& entry : *listing)
        listed.push_back(entry.name);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, names);
}

TEST(LocalTime, DateTimesCountDaysFromTheEndOf1899) {
    struct Case {
        int year, month, day, hour, minute;
        double expected;
    };
    const Case cases[] = {
        {1899, 12, 30, 0, 0, 0.0},
        {1899, 12, 31, 12, 0, 1.5},
        {1980, 1, 1, 0, 0, 29221.0},
        {2000, 3, 1, 6, 0, 36586.25},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(LocalDateTime(c.year, c.month, c.day, c.hour, c.minute), c.expected)
            << c.year << '-' << c.month << '-' << c.day;
    const double today = LocalToday();
    EXPECT_EQ(today, static_cast<double>(static_cast<long long>(today))) << "a day's start";
    EXPECT_LE(today, FileTimeToLocalDateTime(std::time(nullptr)));
    EXPECT_GT(today + 1.0, FileTimeToLocalDateTime(std::time(nullptr)));
}

} // namespace
} // namespace lp::platform

namespace lp::platform {
namespace {

// What a listing into used storage holds: exactly what a fresh listing holds, nothing left over.
TEST(FolderListing, AListingIntoUsedStorageLeavesNothingOfTheOldOne) {
    test::TempFolder temp;
    const std::string folder = temp.path().string();
    for (const char* name : {"a-rather-long-file-name-one", "b", "c"})
        test::writeBytes(temp.file(name), std::string(3000, 'x'));
    fs::create_directories(temp.file("sub"));
    const auto describe = [](const std::vector<FolderEntry>& entries) {
        std::vector<std::string> lines;
        for (const auto& e : entries)
            lines.push_back(e.name + " " + std::to_string(e.isFolder) + " " +
                            std::to_string(e.size) + " " + std::to_string(e.date) + " " +
                            std::to_string(e.watchable));
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    std::vector<FolderEntry> used;
    std::vector<std::string> names;
    struct Step {
        bool withDetails;
        const char* removed; // before the listing
    };
    const Step steps[] = {{true, nullptr},
                          {false, nullptr},
                          {true, "b"},
                          {false, "sub"},
                          {true, "a-rather-long-file-name-one"}};
    for (const Step& step : steps) {
        if (step.removed)
            fs::remove(temp.file(step.removed));
        ASSERT_TRUE(ListFolderInto(folder, step.withDetails, used));
        EXPECT_EQ(describe(used), describe(*ListFolder(folder, step.withDetails)))
            << "details " << step.withDetails << ", removed "
            << (step.removed ? step.removed : "-");
        ASSERT_TRUE(ListNamesInto(folder, names));
        const auto fresh = ListFolder(folder, false);
        ASSERT_TRUE(fresh);
        std::vector<std::string> listed;
        for (const auto& entry : *fresh)
            listed.push_back(entry.name);
        std::sort(listed.begin(), listed.end());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, listed) << "names only, removed " << (step.removed ? step.removed : "-");
    }
    EXPECT_FALSE(ListFolderInto(temp.file("missing"), false, used));
    EXPECT_TRUE(used.empty());
    EXPECT_FALSE(ListNamesInto(temp.file("missing"), names));
    EXPECT_TRUE(names.empty());
}

} // namespace
} // namespace lp::platform
