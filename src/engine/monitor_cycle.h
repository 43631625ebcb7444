#pragma once
// One monitor cycle: every enabled service's folder is listed, its rules choose files and act on
// them, and what the folder still holds is remembered for recognising new arrivals next time:
// every entry but those a move or delete took away, those still being written, and those on
// which an operation of a "new file" rule failed, which thus count as new again.

#include "cycle_environment.h"
#include "cycle_memory.h"
#include "globals/records.h"

#include <memory>

namespace lp {

// Runs one service turn; a service that is off or has no folder is passed over untouched. With a
// memory of the service's earlier turns, an unchanged folder is not listed again and a turn that
// is bound to do nothing is passed over; the results are those of a full listing all the same.
void RunServiceTurn(rServiceRules& service, bool firstCycle, CycleEnvironment& environment,
                    ServiceMemory* memory = nullptr);

// Runs a turn for each service in table order. firstCycle is true only for the first cycle after
// start-up: files present then never count as new. A service whose turn fails unexpectedly (out
// of memory) is left as it was and the next one goes on.
void runMonitorCycle(ServiceTable& table, bool firstCycle, CycleEnvironment& environment,
                     CycleMemory* memory = nullptr);

// The cycle on the real disk, clock and processes, remembering the folders from one call to the
// next; copies share that memory. Never throws, so the caller always gets to schedule the next
// cycle.
class SystemMonitorCycle {
public:
    SystemMonitorCycle();
    void operator()(ServiceTable& table, bool firstCycle) const noexcept;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace lp
