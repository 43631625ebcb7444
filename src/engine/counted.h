#pragma once
// The records' arrays may hold more entries than their counts say; the counts decide.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace lp {

// The first count entries of items, or all of them when there are fewer; none for a negative count.
template <typename T> std::span<const T> Counted(const std::vector<T>& items, std::int32_t count) {
    const auto size =
        std::min<std::size_t>(items.size(), static_cast<std::size_t>(std::max(0, count)));
    return std::span<const T>(items.data(), size);
}

} // namespace lp
