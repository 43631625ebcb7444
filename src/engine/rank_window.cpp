#include "rank_window.h"

#include <algorithm>
#include <numeric>

namespace lp {

namespace {

// The survivors under one way of telling two entries' ages apart: a strict total order (the
// position breaks ties), so the first keep positions after the selection are exactly the
// survivors, found in linear time on average and O(n log keep) at worst.
template <typename Age>
std::vector<bool> survivorsBy(const std::vector<platform::FolderEntry>& files, std::size_t keep,
                              bool newest, Age age) {
    const auto ranksFirst = [&](std::uint32_t a, std::uint32_t b) {
        const auto ageA = age(files[a]), ageB = age(files[b]);
        if (ageA != ageB)
            return newest ? ageA > ageB : ageA < ageB;
        return a < b;
    };
    std::vector<std::uint32_t> order(files.size());
    std::iota(order.begin(), order.end(), 0u);
    const auto cut = order.begin() + static_cast<std::ptrdiff_t>(keep);
    std::nth_element(order.begin(), cut, order.end(), ranksFirst);
    std::vector<bool> survives(files.size(), false);
    for (auto at = order.begin(); at != cut; ++at)
        survives[*at] = true;
    return survives;
}

} // namespace

std::vector<bool> RankingSurvivors(const std::vector<platform::FolderEntry>& files,
                                   std::int64_t keep, RankToward toward) {
    if (keep <= 0 || static_cast<std::uint64_t>(keep) >= files.size())
        return std::vector<bool>(files.size(), keep > 0);
    const bool newest = toward == RankToward::Newest;
    const auto count = static_cast<std::size_t>(keep);
    // The exact instants where every entry has one. The local date-times are only a fallback:
    // they step by two seconds and run back at the end of summer time, so a newer file can look
    // older.
    if (std::ranges::all_of(files, [](const auto& file) { return file.writeInstant.has_value(); }))
        return survivorsBy(files, count, newest,
                           [](const platform::FolderEntry& file) { return *file.writeInstant; });
    return survivorsBy(files, count, newest,
                       [](const platform::FolderEntry& file) { return file.date; });
}

} // namespace lp
