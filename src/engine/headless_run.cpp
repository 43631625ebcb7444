#include "headless_run.h"
#include "monitor_cycle.h"
#include "platform/process_memory.h"
#include "simulating_environment.h"

#include <algorithm>

namespace lp {

int RunHeadless(ServiceTable& table, const CommandLine& options, CycleEnvironment& environment,
                const StopWait& waitForStop, const LinePrinter& print) {
    ReportingEnvironment reporting(environment, print);
    CycleEnvironment& used = options.verbose ? reporting : environment;
    const std::chrono::milliseconds interval(std::max<std::int64_t>(0, options.intervalMs));
    bool firstCycle = true;
    CycleMemory memory;
    for (std::int64_t done = 0; !options.cycles || done < *options.cycles; ++done) {
        if (waitForStop(interval))
            break;
        runMonitorCycle(table, firstCycle, used, &memory);
        firstCycle = false;
        // What a cycle used and freed goes back to the system while the program waits.
        platform::releaseFreeHeapMemory();
    }
    return 0;
}

int RunSimulation(ServiceTable& table, CycleEnvironment& environment, const LinePrinter& print) {
    // An empty known-file list that counts as recorded makes every entry a new one.
    for (rServiceRules& service : table.services) {
        service.knownready = true;
        service.knowncnt = 0;
        service.knownfiles.clear();
    }
    SimulatingEnvironment simulating(environment);
    ReportingEnvironment reporting(simulating, print);
    runMonitorCycle(table, false, reporting);
    return 0;
}

} // namespace lp
