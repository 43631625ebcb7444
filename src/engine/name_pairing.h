#pragma once
// Pairing the entries of two listings of one folder by name, at about one comparison per entry.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lp {

inline constexpr std::uint32_t kUnpaired = std::numeric_limits<std::uint32_t>::max();

// The name of a listed item: its name member, or the item itself when it is a bare name.
template <typename Item> std::string_view NameOf(const Item& item) {
    if constexpr (requires { item.name; })
        return item.name;
    else
        return item;
}

// For each entry of now, the position in before of an entry of the same name, or kUnpaired.
// Both hold items with a name member, or bare names; the names within now are unique (those of one
// listing).
//
// A folder lists in a stable order, so the two lists mostly line up: walking both side by side
// pairs equal names with one comparison each. Where they differ, a short look ahead on both sides
// finds the place again after a few arrivals or departures, wherever they fall. Whatever the walk
// leaves unpaired (entries that changed places, a run of arrivals longer than the look ahead, an
// order that changed completely) is paired by hashing just those names.
template <typename Now, typename Before>
std::vector<std::uint32_t> PairByName(const Now& now, const Before& before) {
    constexpr std::size_t kLookAhead = 16;
    constexpr int kMissesBeforeGivingUp = 4; // the walk has lost its step for good
    const std::size_t n = now.size();
    const std::size_t m = before.size();
    std::vector<std::uint32_t> pairing(n, kUnpaired);
    std::vector<bool> beforePaired(m, false);
    const auto pair = [&](std::size_t i, std::size_t k) {
        pairing[i] = static_cast<std::uint32_t>(k);
        beforePaired[k] = true;
    };
    std::size_t i = 0, k = 0;
    int misses = 0;
    while (i < n && k < m && misses < kMissesBeforeGivingUp) {
        if (NameOf(now[i]) == NameOf(before[k])) {
            pair(i++, k++);
            misses = 0;
            continue;
        }
        bool found = false;
        for (std::size_t d = 1; d <= kLookAhead && !found; ++d) {
            if (i + d < n && NameOf(now[i + d]) == NameOf(before[k])) {
                i += d; // d entries came
                found = true;
            } else if (k + d < m && NameOf(now[i]) == NameOf(before[k + d])) {
                k += d; // d entries went
                found = true;
            }
        }
        if (found)
            continue;
        ++i; // one entry took another's place, or the step is lost
        ++k;
        ++misses;
    }
    std::size_t unpairedBefore = 0;
    for (const bool paired : beforePaired)
        unpairedBefore += paired ? 0 : 1;
    if (unpairedBefore == 0)
        return pairing;
    std::unordered_map<std::string_view, std::uint32_t> byName;
    byName.reserve(unpairedBefore);
    for (std::size_t b = 0; b < m; ++b)
        if (!beforePaired[b])
            byName.emplace(NameOf(before[b]), static_cast<std::uint32_t>(b));
    for (std::size_t a = 0; a < n; ++a)
        if (pairing[a] == kUnpaired)
            if (const auto found = byName.find(NameOf(now[a])); found != byName.end())
                pairing[a] = found->second;
    return pairing;
}

} // namespace lp
