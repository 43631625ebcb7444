#pragma once
// The ranking that FileDateNew and FileDateOld thin the selection by.

#include "platform/folder_listing.h"

#include <cstdint>
#include <vector>

namespace lp {

enum class RankToward : std::uint8_t { Newest, Oldest };

// Returns, per entry of files, whether it is among the keep entries with the latest (Newest) or
// earliest (Oldest) last-write times of the whole list: the exact instants when every entry has
// one, else the local date-times. Of entries with equal times the one earlier in the list ranks
// first. A keep at or above the count keeps all, a keep of 0 or less keeps none.
std::vector<bool> RankingSurvivors(const std::vector<platform::FolderEntry>& files,
                                   std::int64_t keep, RankToward toward);

} // namespace lp
