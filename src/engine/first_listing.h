#pragma once
// What the watched folders hold when the program starts. It is recorded at once, not at the
// first cycle an interval later, so that a file arriving in between is new to that cycle while
// the files there at the start are not.

#include "globals/records.h"

#include <functional>

namespace lp {

// Runs runCycle, as a first cycle, over a copy of table whose services have no rules: each folder
// is listed and its files recorded as known, and nothing is acted on. The known files go back
// into table; its rules stay as they are.
void RecordFirstListing(ServiceTable& table, const std::function<void(ServiceTable&)>& runCycle);

} // namespace lp
