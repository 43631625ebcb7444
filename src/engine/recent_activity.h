#pragma once
// The last lines of the activity log, for telling at start whether an operation that a stopped
// program left in its journal had its line written already.

#include "activity_entry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace lp {

// The entries of about the last bytes of the log at path, oldest first: from the newest file, and
// from the one rotated before it when the newest holds less than that. A line cut by the window
// is left out; so is a file that cannot be read.
std::vector<ActivityEntry> RecentActivity(const std::string& path, std::size_t bytes);

} // namespace lp
