// Triggers and conditions over hand-made file lists: which entries a rule ends up with.

#include "engine/file_selection.h"
#include "engine/rank_window.h"
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace lp {
namespace {

using platform::FolderEntry;
using platform::LocalDateTime;

CurrentFiles filesNamed(const std::vector<std::string>& names) {
    CurrentFiles current;
    for (const auto& name : names)
        current.entries.push_back(FolderEntry{name, false, 0, 0.0, {}});
    return current;
}

Selection all(const CurrentFiles& current) {
    Selection selection;
    for (std::uint32_t i = 0; i < current.entries.size(); ++i)
        selection.push_back(i);
    return selection;
}

std::vector<std::string> namesOf(const CurrentFiles& current, const Selection& selection) {
    std::vector<std::string> names;
    for (const auto index : selection)
        names.push_back(current.entries[index].name);
    return names;
}

std::vector<std::string> thinnedBy(const ruleacondrec& condition, const CurrentFiles& current,
                                   double today = 0.0) {
    Selection selection = all(current);
    ApplyCondition(condition, current, today, selection);
    return namesOf(current, selection);
}

ruleacondrec extCondition(const std::string& ext) {
    ruleacondrec condition;
    condition.rcond = FileExt;
    condition.rcondFileExt.ext = ext;
    return condition;
}

TEST(FileSelection, ExtensionIsTheTextAfterTheLastDotComparedExactly) {
    const CurrentFiles current =
        filesNamed({"song.mp3", "a.tar.mp3", "song.MP3", "song.mp3.bak", "README", "dot.", "mp3"});
    struct Case {
        std::string ext;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"mp3", {"song.mp3", "a.tar.mp3"}},
        {"mp2;MP3", {"song.MP3"}},
        {"bak;mp3", {"song.mp3", "a.tar.mp3", "song.mp3.bak"}},
        {" mp3", {}},                        // a blank belongs to the piece
        {".mp3", {}},                        // pieces are written without the dot
        {"mp3;", {"song.mp3", "a.tar.mp3"}}, // a stray separator adds nothing
        {"mp2;;MP3", {"song.MP3"}},
        {";", {"README", "dot.", "mp3"}}, // nothing but empty pieces: no extension
        {"", {"README", "dot.", "mp3"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(thinnedBy(extCondition(c.ext), current), c.kept) << "ext \"" << c.ext << '"';
}

TEST(FileSelection, SizeIsComparedStrictlyInWholeKilobytes) {
    CurrentFiles current;
    for (const std::int64_t size : {10'239LL, 10'240LL, 11'263LL, 11'264LL, 3'221'225'472LL})
        current.entries.push_back(FolderEntry{std::to_string(size), false, size, 0.0, {}});
    struct Case {
        std::uint8_t rnum;
        std::int32_t kilobytes;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {cmpLess, 10, {"10239"}},
        {cmpGreater, 10, {"11264", "3221225472"}},
        {cmpGreater, 3'000'000, {"3221225472"}}, // 3 GiB counts whole
        {cmpLess, 0, {}},
        {cmpNone, 10, {}}, // no stored comparison keeps anything else
        {7, 10, {}},
    };
    for (const Case& c : cases) {
        ruleacondrec condition;
        condition.rcond = FileSize;
        condition.rnum = c.rnum;
        condition.size = c.kilobytes;
        EXPECT_EQ(thinnedBy(condition, current), c.kept)
            << "rnum " << int(c.rnum) << " size " << c.kilobytes;
    }
}

TEST(FileSelection, AgeIsWholeDaysSinceTheStartOfToday) {
    const double today = LocalDateTime(2026, 12, 8);
    CurrentFiles current;
    const auto add = [&](const std::string& name, double date) {
        current.entries.push_back(FolderEntry{name, false, 0, date, {}});
    };
    add("today", LocalDateTime(2026, 12, 8, 9, 30));
    add("yesterday-23h", LocalDateTime(2026, 12, 7, 23, 0));
    add("two-days-noon", LocalDateTime(2026, 12, 6, 12, 0));
    add("three-days-8h", LocalDateTime(2026, 12, 5, 8, 0));
    add("tomorrow", LocalDateTime(2026, 12, 9, 12, 0));
    struct Case {
        std::uint8_t rdnum;
        std::int32_t days;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {cmpLess, 1, {"today", "yesterday-23h", "tomorrow"}},
        {cmpGreater, 1, {"three-days-8h"}},
        {cmpGreater, 0, {"two-days-noon", "three-days-8h"}},
        {cmpLess, 0, {"tomorrow"}}, // stamped in the future: -1 day old
        {cmpNone, 1, {}},
    };
    for (const Case& c : cases) {
        ruleacondrec condition;
        condition.rcond = FileDate;
        condition.rdnum = c.rdnum;
        condition.rnum = cmpNone; // a date condition never reads the size comparison
        condition.rdays = c.days;
        EXPECT_EQ(thinnedBy(condition, current, today), c.kept)
            << "rdnum " << int(c.rdnum) << " days " << c.days;
    }
}

// The exact ranking, the plain way: every entry in order of rank, the earlier one first among
// equal dates, and the first keep of them.
std::vector<bool> rankingBySorting(const std::vector<FolderEntry>& files, std::int64_t keep,
                                   RankToward toward) {
    std::vector<std::size_t> order(files.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return toward == RankToward::Newest ? files[a].date > files[b].date
                                            : files[a].date < files[b].date;
    });
    std::vector<bool> survives(files.size(), false);
    const auto kept = static_cast<std::size_t>(
        std::clamp<std::int64_t>(keep, 0, static_cast<std::int64_t>(files.size())));
    for (std::size_t i = 0; i < kept; ++i)
        survives[order[i]] = true;
    return survives;
}

std::vector<FolderEntry> datedDays(const std::vector<int>& days) {
    std::vector<FolderEntry> files;
    for (const int day : days)
        files.push_back(FolderEntry{"day" + std::to_string(day), false, 0, double(day), {}});
    return files;
}

TEST(FileSelection, RankingKeepsExactlyTheNewestOrOldest) {
    struct Case {
        std::vector<int> days;
        std::int64_t keep;
        RankToward toward;
        std::vector<bool> survives;
    };
    const Case cases[] = {
        {{2, 1, 3}, 2, RankToward::Newest, {true, false, true}},
        {{2, 3, 1}, 2, RankToward::Oldest, {true, false, true}},
        {{1, 1, 1}, 1, RankToward::Newest, {true, false, false}}, // equal: the earlier one
        {{1, 2, 2, 2}, 2, RankToward::Newest, {false, true, true, false}},
        {{3, 1, 1, 1}, 2, RankToward::Oldest, {false, true, true, false}},
        {{5, 4, 3}, 0, RankToward::Newest, {false, false, false}},
        {{5, 4, 3}, 3, RankToward::Oldest, {true, true, true}},
        {{5, 4, 3}, 10, RankToward::Newest, {true, true, true}},
        {{5, 4, 3}, -1, RankToward::Newest, {false, false, false}}, // number not yet given
        {{}, 2, RankToward::Newest, {}},
    };
    for (const Case& c : cases) {
        const auto files = datedDays(c.days);
        EXPECT_EQ(RankingSurvivors(files, c.keep, c.toward), c.survives)
            << "keep " << c.keep << " of " << c.days.size();
    }
}

TEST(FileSelection, RankingAgreesWithAFullSortOnRandomFolders) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round) {
        std::vector<int> days(std::uniform_int_distribution<int>(0, 260)(random));
        for (int& day : days)
            day = std::uniform_int_distribution<int>(0, 12)(random); // many equal dates
        const auto files = datedDays(days);
        const auto keep = std::uniform_int_distribution<std::int64_t>(-1, 265)(random);
        for (const RankToward toward : {RankToward::Newest, RankToward::Oldest})
            ASSERT_EQ(RankingSurvivors(files, keep, toward), rankingBySorting(files, keep, toward))
                << "round " << round << " keep " << keep;
    }
}

TEST(FileSelection, RankingIsTakenFromTheWholeFolderNotFromTheSelection) {
    CurrentFiles current;
    current.entries = datedDays({9, 1, 5});
    Selection selection{1, 2}; // day1 and day5 are selected; day9 is the newest of the folder
    ruleacondrec newest;
    newest.rcond = FileDateNew;
    newest.newfilecnt = 1;
    ApplyCondition(newest, current, 0.0, selection);
    EXPECT_TRUE(selection.empty());
}

struct TriggerCase {
    const char* what;
    std::uint8_t mcond;
    std::int32_t limit; // fcnt or fsize
    std::size_t entries;
    std::int64_t totalSize;
    bool fires;
};

TEST(FileSelection, CountAndSizeTriggersFireStrictlyAboveTheirLimit) {
    const TriggerCase cases[] = {
        {"20 entries, limit 20", FileCount, 20, 20, 0, false},
        {"21 entries, limit 20", FileCount, 20, 21, 0, true},
        {"10 MB after truncation", TotalFileSize, 10, 3, 11'263'999, false},
        {"11 MB", TotalFileSize, 10, 3, 11'264'000, true},
        {"over 2 GiB in total", TotalFileSize, 2100, 3, 2'200'000'000LL, true},
        {"AnyFile", AnyFile, 0, 5, 0, false},
        {"unknown trigger", 9, 0, 5, 0, false},
    };
    for (const TriggerCase& c : cases) {
        CurrentFiles current;
        current.entries.resize(c.entries);
        current.totalSize = c.totalSize;
        RuleRec rule;
        rule.mcond = c.mcond;
        rule.fcnt = c.limit;
        rule.fsize = c.limit;
        rServiceRules service;
        KnownNames known(service, current);
        const auto selection = StartSelection(rule, current, TriggerState{}, known);
        EXPECT_EQ(selection.has_value(), c.fires) << c.what;
        if (selection) {
            EXPECT_EQ(selection->size(), c.entries) << c.what << ": the whole list is selected";
        }
    }
}

TEST(FileSelection, NewFileSelectsNamesMissingFromTheKnownList) {
    struct Case {
        const char* what;
        std::vector<std::string> known;
        std::vector<std::string> now;
        TriggerState state;
        std::optional<std::vector<std::string>> selected;
    };
    const TriggerState ready{false, true};
    const Case cases[] = {
        {"one new name", {"a", "b"}, {"a", "b", "c"}, ready, std::vector<std::string>{"c"}},
        {"new names anywhere",
         {"a", "b"},
         {"x", "b", "y", "a"},
         ready,
         std::vector<std::string>{"x", "y"}},
        {"names compared exactly", {"a"}, {"A", "a"}, ready, std::vector<std::string>{"A"}},
        {"one removed, one added", {"a", "b"}, {"a", "c"}, ready, std::vector<std::string>{"c"}},
        {"renamed: a.part became a.zip",
         {"a.part", "b"},
         {"b", "a.zip"},
         ready,
         std::vector<std::string>{"a.zip"}},
        {"fewer entries, one of them new",
         {"a", "b", "c"},
         {"d"},
         ready,
         std::vector<std::string>{"d"}},
        {"nothing new", {"a", "b"}, {"b"}, ready, std::nullopt},
        {"first cycle", {"a"}, {"a", "b"}, TriggerState{true, true}, std::nullopt},
        {"no list recorded yet", {}, {"a"}, TriggerState{false, false}, std::nullopt},
    };
    for (const Case& c : cases) {
        rServiceRules service;
        for (const auto& name : c.known)
            service.knownfiles.push_back(filerec{name, 0, 0.0});
        service.knowncnt = static_cast<std::int32_t>(c.known.size());
        const CurrentFiles current = filesNamed(c.now);
        KnownNames known(service, current);
        RuleRec rule;
        rule.mcond = NewFile;
        const auto selection = StartSelection(rule, current, c.state, known);
        ASSERT_EQ(selection.has_value(), c.selected.has_value()) << c.what;
        if (selection) {
            EXPECT_EQ(namesOf(current, *selection), *c.selected) << c.what;
        }
    }
}

TEST(FileSelection, KnownNamesAgreeWithAPlainLookUpWhateverTheOrder) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        // Names from a small pool, so that the lists overlap; each list holds a name once.
        std::vector<std::string> pool;
        for (int i = 0; i < 40; ++i)
            pool.push_back("f" + std::to_string(i));
        std::shuffle(pool.begin(), pool.end(), random);
        std::vector<std::string> before(pool.begin(), pool.begin() + 25);
        std::vector<std::string> now = before;
        // Some gone, some come, some moved: as folders change between two cycles.
        const int changes = std::uniform_int_distribution<int>(0, 8)(random);
        for (int c = 0; c < changes; ++c) {
            const auto at = std::uniform_int_distribution<std::size_t>(0, now.size())(random);
            switch (std::uniform_int_distribution<int>(0, 2)(random)) {
            case 0:
                if (!now.empty())
                    now.erase(now.begin() + static_cast<std::ptrdiff_t>(at % now.size()));
                break;
            case 1:
                now.insert(now.begin() + static_cast<std::ptrdiff_t>(at), pool[25 + c]);
                break;
            default:
                if (now.size() > 1)
                    std::swap(now[at % now.size()], now[(at + 7) % now.size()]);
            }
        }
        rServiceRules service;
        for (const auto& name : before)
            service.knownfiles.push_back(filerec{name, 0, 0.0});
        service.knowncnt = static_cast<std::int32_t>(before.size());
        const CurrentFiles current = filesNamed(now);
        KnownNames known(service, current);
        for (std::uint32_t i = 0; i < now.size(); ++i)
            ASSERT_EQ(known.contains(i),
                      std::find(before.begin(), before.end(), now[i]) != before.end())
                << "round " << round << " name " << now[i];
    }
}

TEST(FileSelection, RankingGoesByTheExactInstantWhereEveryEntryHasOne) {
    struct Case {
        const char* what;
        std::vector<std::pair<double, std::optional<std::int64_t>>> ages; // date, instant
        RankToward toward;
        std::vector<bool> survives; // keeping one
    };
    const Case cases[] = {
        {"one second apart, in one two-second step",
         {{10.0, 1'000'000'000}, {10.0, 2'000'000'000}},
         RankToward::Newest,
         {false, true}},
        {"a nanosecond apart", {{10.0, 7}, {10.0, 6}}, RankToward::Oldest, {false, true}},
        {"local dates running back at the end of summer time",
         {{10.1, 1'000}, {10.0, 2'000}},
         RankToward::Oldest,
         {true, false}},
        {"equal instants: the earlier in the listing",
         {{9.0, 5}, {10.0, 5}},
         RankToward::Newest,
         {true, false}},
        {"an entry without one: all go by date",
         {{10.1, 1'000}, {10.0, std::nullopt}},
         RankToward::Oldest,
         {false, true}},
    };
    for (const Case& c : cases) {
        std::vector<FolderEntry> files;
        for (const auto& [date, instant] : c.ages)
            files.push_back(
                FolderEntry{"f" + std::to_string(files.size()), false, 0, date, instant});
        EXPECT_EQ(RankingSurvivors(files, 1, c.toward), c.survives) << c.what;
    }
}

} // namespace
} // namespace lp
