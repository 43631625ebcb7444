#pragma once
// One monitor cycle: every enabled service's folder is listed, its rules choose files and act on
// them, and what the folder still holds is remembered for recognising new arrivals next time:
// every entry but those a move or delete took away and those still being written. A file on
// which an operation failed in its place is taken up again by that rule at that operation, at
// growing intervals for a day (see retry_turn.h).

#include "cycle_environment.h"
#include "cycle_memory.h"
#include "globals/records.h"

namespace lp {

// The name the service's operations are done for: the name the user gave the folder, or the
// folder itself where it has none.
const std::string& ServiceName(const rServiceRules& service);

// Settings of a watched folder changed so that they let more in (sub-folders included, more of
// their levels, an exclusion removed or narrowed): the files of listed, the folder listed just
// then with its new settings, that the settings of service's last turn kept out were there
// before the change, and are known from now on. Taken at once, so that a file arriving between
// the change and the next turn is new.
void KnowFilesLetInNow(rServiceRules& service, const rServiceRules& listed);

// Runs one service turn; a service that is off or has no folder is passed over untouched. The
// environment hears the service's and rule's names before each rule acts. With a memory of the
// service's earlier turns, an unchanged folder is not listed again and a turn that is bound to do
// nothing is passed over; the results are those of a full listing all the same.
void RunServiceTurn(rServiceRules& service, bool firstCycle, const SortingPolicy& policy,
                    CycleEnvironment& environment, ServiceMemory* memory = nullptr);

// Runs a turn for each service in table order. firstCycle is true only for the first cycle after
// start-up: files present then never count as new. A service whose turn fails unexpectedly (out
// of memory) is left as it was and the next one goes on.
void runMonitorCycle(ServiceTable& table, bool firstCycle, const SortingPolicy& policy,
                     CycleEnvironment& environment, CycleMemory* memory = nullptr);

} // namespace lp
