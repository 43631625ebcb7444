#pragma once
// One monitor cycle: every enabled service's folder is listed, its rules choose files and act on
// them, and what the folder still holds is remembered for recognising new arrivals next time:
// every entry but those a move or delete took away, those still being written, and those on
// which an operation of a "new file" rule failed, which thus count as new again.

#include "cycle_environment.h"
#include "globals/records.h"

namespace lp {

// Runs one service turn; a service that is off or has no folder is passed over untouched.
void RunServiceTurn(rServiceRules& service, bool firstCycle, CycleEnvironment& environment);

// Runs a turn for each service in table order. firstCycle is true only for the first cycle after
// start-up: files present then never count as new. A service whose turn fails unexpectedly (out
// of memory) is left as it was and the next one goes on.
void runMonitorCycle(ServiceTable& table, bool firstCycle, CycleEnvironment& environment);

// The cycle on the real disk, clock and processes. Never throws, so the caller always gets to
// schedule the next cycle.
void runSystemMonitorCycle(ServiceTable& table, bool firstCycle) noexcept;

} // namespace lp
