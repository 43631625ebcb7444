#include "headless_run.h"
#include "first_listing.h"
#include "logging_environment.h"
#include "monitor_cycle.h"
#include "placed_files.h"
#include "platform/process_memory.h"
#include "simulating_environment.h"
#include "undo.h"

#include <algorithm>

namespace lp {

int RunHeadless(ServiceTable& table, const CommandLine& options, const SortingPolicy& policy,
                CycleEnvironment& environment, ActivityLog& log, const StopWait& waitForStop,
                const LinePrinter& print, const std::vector<std::string>& sortAgain,
                const std::function<void()>& takenUp, const std::string& placedPath) {
    LoggingEnvironment logging(environment, log);
    ReportingEnvironment reporting(logging, print);
    CycleEnvironment& used = options.verbose ? static_cast<CycleEnvironment&>(reporting) : logging;
    const std::chrono::milliseconds interval(std::max<std::int64_t>(0, options.intervalMs));
    CycleMemory memory;
    RecordFirstListing(
        table, [&](ServiceTable& listing) { runMonitorCycle(listing, true, policy, environment); });
    ForgetKnownFiles(table, sortAgain);
    ReadPlacedFiles(placedPath, table);
    std::string placedNoted;
    for (std::int64_t done = 0; !options.cycles || done < *options.cycles; ++done) {
        if (waitForStop(interval))
            break;
        runMonitorCycle(table, false, policy, used, &memory);
        NotePlacedFiles(placedPath, table, placedNoted);
        if (done == 0 && takenUp)
            takenUp();
        // What a cycle used and freed goes back to the system while the program waits. After
        // the first, the start-up's pages go too: from then on the program only waits and sorts.
        if (done == 0)
            platform::trimWorkingSet();
        else
            platform::releaseFreeHeapMemory();
    }
    return 0;
}

int RunSimulation(ServiceTable& table, const SortingPolicy& policy, CycleEnvironment& environment,
                  const LinePrinter& print, const TrashMover& foreseeTrash) {
    // An empty known-file list that counts as recorded makes every entry a new one.
    for (rServiceRules& service : table.services) {
        service.knownready = true;
        service.knowncnt = 0;
        service.knownfiles.clear();
    }
    SimulatingEnvironment simulating(environment, foreseeTrash);
    ReportingEnvironment reporting(simulating, print);
    runMonitorCycle(table, false, policy, reporting);
    return 0;
}

} // namespace lp
