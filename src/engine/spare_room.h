#pragma once
// Lists kept from one cycle to the next reuse their storage, so that a steady folder costs no
// new list each cycle; but a folder that shrank for good must not keep the room of its largest
// size for ever.

#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace lp {

// Gives back the room of a list that is now less than half full, beyond a small allowance that
// spares small folders the work, keeping room for a few arrivals.
template <class T> void GiveBackSpareRoom(std::vector<T>& list) {
    constexpr std::size_t kAllowance = 1024;
    if (list.capacity() <= 2 * list.size() + kAllowance)
        return;
    std::vector<T> smaller;
    smaller.reserve(list.size() + list.size() / 32 + 16);
    std::move(list.begin(), list.end(), std::back_inserter(smaller));
    list.swap(smaller);
}

} // namespace lp
