// The last-write instant a detailed listing gives, set to the nanosecond as POSIX allows.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>

namespace lp::platform {
namespace {

TEST(FolderListing, TheLastWriteInstantToTheNanosecond) {
    test::TempFolder temp;
    struct Case {
        const char* name;
        timespec when;
        std::int64_t instant;
    };
    const Case cases[] = {
        {"recent", {1'761'439'500, 123'456'789}, 1'761'439'500'123'456'789},
        {"before the epoch", {-2, 500'000'000}, -1'500'000'000},
    };
    for (const Case& c : cases) {
        test::writeBytes(temp.file(c.name), "x");
        const timespec times[2] = {c.when, c.when};
        ASSERT_EQ(::utimensat(AT_FDCWD, temp.file(c.name).c_str(), times, 0), 0);
    }
    const auto listing = ListFolder(temp.path().string(), true);
    ASSERT_TRUE(listing.has_value());
    for (const Case& c : cases) {
        const auto entry = std::ranges::find(*listing, std::string(c.name), &FolderEntry::name);
        ASSERT_NE(entry, listing->end()) << c.name;
        EXPECT_EQ(entry->writeInstant, c.instant) << c.name;
    }
    const auto namesOnly = ListFolder(temp.path().string(), false);
    ASSERT_TRUE(namesOnly.has_value());
    EXPECT_FALSE(namesOnly->front().writeInstant.has_value()) << "a detail like the others";
}

} // namespace
} // namespace lp::platform
