#include "rank_window.h"

#include <algorithm>
#include <limits>

namespace lp {

namespace {

// Finds the first position whose key is below a bound in O(log n): a tree of minimums over the
// positions, searched from the root toward the leftmost qualifying leaf.
class FirstBelowTree {
public:
    explicit FirstBelowTree(std::size_t count) {
        while (leaves_ < count)
            leaves_ *= 2;
        tree_.assign(2 * leaves_, std::numeric_limits<double>::infinity());
    }
    void set(std::size_t position, double key) {
        std::size_t node = leaves_ + position;
        tree_[node] = key;
        for (node /= 2; node >= 1; node /= 2)
            tree_[node] = std::min(tree_[2 * node], tree_[2 * node + 1]);
    }
    // The first position whose key is less than bound; the largest size_t when there is none.
    std::size_t firstBelow(double bound) const {
        if (!(tree_[1] < bound))
            return std::numeric_limits<std::size_t>::max();
        std::size_t node = 1;
        while (node < leaves_)
            node = tree_[2 * node] < bound ? 2 * node : 2 * node + 1;
        return node - leaves_;
    }

private:
    std::size_t leaves_ = 1;
    std::vector<double> tree_;
};

} // namespace

std::vector<bool> RankingSurvivors(const std::vector<platform::FolderEntry>& files,
                                   std::int64_t keep, RankToward toward) {
    std::vector<bool> survives(files.size(), keep > 0);
    if (keep <= 0 || static_cast<std::uint64_t>(keep) >= files.size())
        return survives;
    const auto size = static_cast<std::size_t>(keep);
    // "Older than C" is a smaller date; "newer than C" is a smaller negated date.
    const auto key = [toward](const platform::FolderEntry& file) {
        return toward == RankToward::Newest ? file.date : -file.date;
    };
    std::vector<std::size_t> list(size);
    FirstBelowTree tree(size);
    for (std::size_t position = 0; position < size; ++position) {
        list[position] = position;
        tree.set(position, key(files[position]));
    }
    for (std::size_t candidate = size; candidate < files.size(); ++candidate) {
        const std::size_t position = tree.firstBelow(key(files[candidate]));
        if (position == std::numeric_limits<std::size_t>::max())
            continue;
        list[position] = candidate;
        tree.set(position, key(files[candidate]));
    }
    std::fill(survives.begin(), survives.end(), false);
    for (const std::size_t index : list)
        survives[index] = true;
    return survives;
}

} // namespace lp
