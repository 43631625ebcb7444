// Pairing two listings of a folder by name: whatever the changes between them, every entry is
// paired with the entry of its name, and only with that.

#include "engine/name_pairing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace lp {
namespace {

struct Named {
    std::string name;
};

std::vector<Named> named(int first, int count) {
    std::vector<Named> list;
    for (int n = first; n < first + count; ++n)
        list.push_back({"f" + std::to_string(n)});
    return list;
}

std::vector<Named> insertEvery(std::vector<Named> list, std::size_t step, int first) {
    for (std::size_t at = step; at < list.size(); at += step + 1)
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at),
                    Named{"new" + std::to_string(first++)});
    return list;
}

TEST(NamePairing, PairsEveryNameWithItsNamesakeWhateverChanged) {
    const std::vector<Named> base = named(0, 500);
    std::mt19937 random(17);
    struct Case {
        const char* what;
        std::vector<Named> now;
    };
    std::vector<Named> shuffled = base;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    std::vector<Named> reversed(base.rbegin(), base.rend());
    std::vector<Named> blockInFront = named(1000, 60);
    blockInFront.insert(blockInFront.end(), base.begin(), base.end());
    std::vector<Named> departures;
    for (std::size_t i = 0; i < base.size(); ++i)
        if (i % 7 != 3 && (i < 200 || i > 260))
            departures.push_back(base[i]);
    std::vector<Named> swapped = base;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 10)
        std::swap(swapped[i], swapped[i + 1]);
    std::vector<Named> replaced = base;
    for (std::size_t i = 5; i < replaced.size(); i += 9)
        replaced[i].name += "-renamed";
    std::vector<Named> randomArrivals = base;
    for (int n = 0; n < 50; ++n) {
        const auto at = random() % (randomArrivals.size() + 1);
        randomArrivals.insert(randomArrivals.begin() + static_cast<std::ptrdiff_t>(at),
                              Named{"arrival" + std::to_string(n)});
    }
    const Case cases[] = {
        {"unchanged", base},
        {"every third an arrival", insertEvery(base, 3, 0)},
        {"arrivals side by side", insertEvery(insertEvery(base, 5, 0), 5, 100)},
        {"arrivals at random places", randomArrivals},
        {"a run of arrivals longer than any look ahead", blockInFront},
        {"departures, one run of them long", departures},
        {"neighbours swapped", swapped},
        {"names replaced in place", replaced},
        {"shuffled", shuffled},
        {"reversed", reversed},
        {"everything new", named(5000, 100)},
        {"empty now", {}},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint32_t> pairing = PairByName(c.now, base);
        ASSERT_EQ(pairing.size(), c.now.size()) << c.what;
        for (std::size_t i = 0; i < c.now.size(); ++i) {
            const bool known = std::any_of(base.begin(), base.end(), [&](const Named& entry) {
                return entry.name == c.now[i].name;
            });
            ASSERT_EQ(pairing[i] != kUnpaired, known) << c.what << ": " << c.now[i].name;
            if (known) {
                ASSERT_EQ(base[pairing[i]].name, c.now[i].name) << c.what;
            }
        }
    }
    const std::vector<std::uint32_t> nothingBefore = PairByName(base, std::vector<Named>{});
    EXPECT_EQ(nothingBefore, std::vector<std::uint32_t>(base.size(), kUnpaired));
}

} // namespace
} // namespace lp
