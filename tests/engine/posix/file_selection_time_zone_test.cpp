// Ranking the entries of a real folder by age, in time zones whose local dates run back.

#include "engine/file_selection.h"
#include "engine/rank_window.h"
#include "globals/temp_folder.h"
#include "platform/folder_listing.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace lp {
namespace {

Selection all(const CurrentFiles& current) {
    Selection selection;
    for (std::uint32_t i = 0; i < current.entries.size(); ++i)
        selection.push_back(i);
    return selection;
}

TEST(FileSelection, TheOldestOfARealFolderIsTheOneWrittenFirst) {
    struct Case {
        const char* zone;
        std::time_t first, second; // seconds since the epoch, UTC
    };
    const Case cases[] = {
        {"UTC", 1'748'772'000, 1'748'772'001},           // 2025-06-01 10:00:00 and :01
        {"Europe/Berlin", 1'761'439'500, 1'761'441'300}, // 2025-10-26 00:45 and 01:15
        {"UTC", 1'761'439'500, 1'761'441'300},
    };
    for (const Case& c : cases) {
        const test::ScopedVariable zone("TZ", c.zone);
        test::TempFolder temp;
        // Named so that listing order and name order both put the later one first.
        const std::string later = temp.file("a-later"), first = temp.file("b-first");
        for (const auto& [path, when] : {std::pair{later, c.second}, std::pair{first, c.first}}) {
            test::writeBytes(path, "x");
            const timespec times[2] = {{when, 0}, {when, 0}};
            ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        }
        const auto listing = platform::ListFolder(temp.path().string(), true);
        ASSERT_TRUE(listing.has_value());
        CurrentFiles current{*listing, 0};
        for (const RankToward toward : {RankToward::Oldest, RankToward::Newest}) {
            ruleacondrec condition;
            condition.rcond = toward == RankToward::Oldest ? FileDateOld : FileDateNew;
            condition.oldfilecnt = condition.newfilecnt = 1;
            Selection selection = all(current);
            ApplyCondition(condition, current, 0.0, selection);
            ASSERT_EQ(selection.size(), 1u);
            EXPECT_EQ(current.entries[selection[0]].name,
                      toward == RankToward::Oldest ? "b-first" : "a-later")
                << c.zone << " " << c.first;
        }
    }
}

} // namespace
} // namespace lp
