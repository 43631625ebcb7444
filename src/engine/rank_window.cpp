#include "rank_window.h"

#include <algorithm>
#include <numeric>

namespace lp {

std::vector<bool> RankingSurvivors(const std::vector<platform::FolderEntry>& files,
                                   std::int64_t keep, RankToward toward) {
    std::vector<bool> survives(files.size(), keep > 0);
    if (keep <= 0 || static_cast<std::uint64_t>(keep) >= files.size())
        return survives;
    // A strict total order (the position breaks ties), so the first keep positions after the
    // selection are exactly the survivors, found in linear time on average and O(n log keep) at
    // worst.
    const bool newest = toward == RankToward::Newest;
    const auto ranksFirst = [&](std::uint32_t a, std::uint32_t b) {
        const double dateA = files[a].date, dateB = files[b].date;
        if (dateA != dateB)
            return newest ? dateA > dateB : dateA < dateB;
        return a < b;
    };
    std::vector<std::uint32_t> order(files.size());
    std::iota(order.begin(), order.end(), 0u);
    const auto cut = order.begin() + static_cast<std::ptrdiff_t>(keep);
    std::nth_element(order.begin(), cut, order.end(), ranksFirst);
    std::fill(survives.begin(), survives.end(), false);
    for (auto at = order.begin(); at != cut; ++at)
        survives[*at] = true;
    return survives;
}

} // namespace lp
