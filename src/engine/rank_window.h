#pragma once
// The ranking that FileDateNew and FileDateOld thin the selection by.

#include "platform/folder_listing.h"

#include <cstdint>
#include <vector>

namespace lp {

enum class RankToward : std::uint8_t { Newest, Oldest };

// Works through the whole file list as the ranking list does: the first keep entries form the
// list, and each later entry C, in order, overwrites the first entry of the list that is older
// (Newest) or newer (Oldest) than C, strictly; an entry that finds none is dropped. Returns, per
// entry of files, whether it is in the final list. The first-qualifying overwrite means the result
// is not always the keep newest (oldest) files. A negative keep selects nothing.
std::vector<bool> RankingSurvivors(const std::vector<platform::FolderEntry>& files,
                                   std::int64_t keep, RankToward toward);

} // namespace lp
