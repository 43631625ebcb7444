// The last-write instant a detailed listing gives from the file's FILETIME, which counts 100 ns
// steps from 1601 and so reaches further back than nanoseconds since 1970 can.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"
#include "platform/windows/file_time.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace lp::platform {
namespace {

bool setWriteTicks(const std::string& path, std::uint64_t ticks) {
    const HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME when{};
    when.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFULL);
    when.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    const bool set = ::SetFileTime(file, nullptr, nullptr, &when) != 0;
    ::CloseHandle(file);
    return set;
}

TEST(FolderListing, TheLastWriteInstantFromTheFileTime) {
    test::TempFolder temp;
    constexpr std::uint64_t kTicksAt1970 = 116'444'736'000'000'000;
    struct Case {
        const char* name;
        std::uint64_t ticks;
        std::int64_t instant;
    };
    const Case cases[] = {
        {"recent", kTicksAt1970 + 17'614'395'001'234'567, 1'761'439'500'123'456'700},
        {"before the epoch", kTicksAt1970 - 15'000'000, -1'500'000'000},
    };
    for (const Case& c : cases) {
        test::writeBytes(temp.file(c.name), "x");
        ASSERT_TRUE(setWriteTicks(temp.file(c.name), c.ticks)) << c.name;
    }
    const auto listing = ListFolder(temp.path().string(), true);
    ASSERT_TRUE(listing.has_value());
    for (const Case& c : cases) {
        const auto entry = std::ranges::find(*listing, std::string(c.name), &FolderEntry::name);
        ASSERT_NE(entry, listing->end()) << c.name;
        EXPECT_EQ(entry->writeInstant, c.instant) << c.name;
    }
}

// A file system need not hold the far ends of what a file time can say, so these are converted
// directly.
TEST(FileTime, InstantsBeyondTheCountSaturate) {
    constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max() / 100 * 100;
    struct Case {
        const char* what;
        std::uint64_t ticks;
        std::int64_t instant;
    };
    const Case cases[] = {
        {"the epoch", 116'444'736'000'000'000, 0},
        {"1601", 1, -kLatest},
        {"the last file time", std::numeric_limits<std::uint64_t>::max(), kLatest},
        {"past the int64 ticks", 0x8000'0000'0000'0000ULL, kLatest},
    };
    for (const Case& c : cases) {
        FILETIME when{};
        when.dwLowDateTime = static_cast<DWORD>(c.ticks & 0xFFFFFFFFULL);
        when.dwHighDateTime = static_cast<DWORD>(c.ticks >> 32);
        EXPECT_EQ(windows::nanosecondsSinceEpoch(when), c.instant) << c.what;
    }
}

} // namespace
} // namespace lp::platform
