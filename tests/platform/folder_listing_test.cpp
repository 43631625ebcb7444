// Listing real folders: which entries, and what is known about each.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"
#include "platform/local_time.h"
#include "support/write_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(FolderListing, EveryEntryButDotAndDotDotWithItsDetails) {
    test::TempFolder temp;
    test::writeBytes(temp.file("data.bin"), std::string(5000, 'd'));
    test::writeBytes(temp.file(".hidden"), "h");
    fs::create_directories(temp.file("sub"));
    fs::create_symlink(temp.file("nowhere"), temp.file("dangling"));
    test::setLocalWriteTime(temp.file("data.bin"), 2024, 3, 9, 14, 7, 33);
    test::setLocalWriteTime(temp.file(".hidden"), 1975, 6, 1, 10, 0, 0);

    const auto listing = ListFolder(temp.path().string(), true);
    ASSERT_TRUE(listing.has_value());
    std::vector<FolderEntry> entries = *listing;
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, ".hidden");
    EXPECT_EQ(entries[0].date, LocalDateTime(1980, 1, 1)) << "before 1980 counts as 1980";
    EXPECT_EQ(entries[1].name, "dangling");
    EXPECT_FALSE(entries[1].isFolder);
    EXPECT_EQ(entries[2].name, "data.bin");
    EXPECT_EQ(entries[2].size, 5000);
    EXPECT_EQ(entries[2].date, LocalDateTime(2024, 3, 9, 14, 7, 32)) << "two-second resolution";
    EXPECT_EQ(entries[3].name, "sub");
    EXPECT_TRUE(entries[3].isFolder);
    EXPECT_EQ(entries[3].size, 0);

    const auto namesOnly = ListFolder(temp.path().string(), false);
    ASSERT_TRUE(namesOnly.has_value());
    EXPECT_EQ(namesOnly->size(), 4u);
}

// The number of entries ListFolder gives, or -1 for none, taken in a child process that has given
// up the capabilities to override permissions (which root has), so that a folder's permission
// bits decide as they do for any user.
long long entriesListedWithoutOverride(const std::string& folder, bool withDetails) {
    int channel[2];
    if (::pipe(channel) != 0)
        return -2;
    const pid_t child = ::fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0)
            ::_exit(2);
        for (const unsigned cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            data[cap / 32].effective &= ~(1u << (cap % 32));
        if (::syscall(SYS_capset, &header, data) != 0)
            ::_exit(2);
        const auto listing = ListFolder(folder, withDetails);
        const long long count = listing ? static_cast<long long>(listing->size()) : -1;
        ::_exit(::write(channel[1], &count, sizeof count) == sizeof count ? 0 : 2);
    }
    ::close(channel[1]);
    long long count = -2;
    if (child < 0 || ::read(channel[0], &count, sizeof count) != sizeof count)
        count = -2;
    ::close(channel[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return count;
}

TEST(FolderListing, EntriesThatCannotBeExaminedFailTheWholeListing) {
    test::TempFolder temp;
    const std::string folder = temp.file("shared");
    fs::create_directories(folder);
    test::writeBytes(folder + "/a", "a");
    test::writeBytes(folder + "/b", "b");
    fs::create_symlink("loop", folder + "/loop"); // leads round in a circle: listed as a link
    fs::create_symlink(folder + "/nowhere", folder + "/dangling");
    struct Case {
        const char* what;
        fs::perms permissions;
        bool withDetails;
        long long entries; // -1: no listing
    };
    const Case cases[] = {
        {"readable and searchable", fs::perms::owner_all, true, 4},
        {"readable, not searchable (chmod 444)", fs::perms(0444), true, -1},
        {"readable, not searchable, names only", fs::perms(0444), false, 4},
        {"not readable", fs::perms::owner_exec, false, -1},
    };
    for (const Case& c : cases) {
        fs::permissions(folder, c.permissions);
        EXPECT_EQ(entriesListedWithoutOverride(folder, c.withDetails), c.entries) << c.what;
    }
    fs::permissions(folder, fs::perms::owner_all);
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
    }
    EXPECT_FALSE(ListFolderInto(temp.file("missing"), false, used));
    EXPECT_TRUE(used.empty());
}

} // namespace
} // namespace lp::platform
