#pragma once
// The program without a window: monitor cycles at a fixed interval until it is asked to stop, or
// a single simulated cycle that only says what it would do.

#include "activity_log.h"
#include "cycle_environment.h"
#include "globals/command_line.h"
#include "globals/records.h"
#include "operation_report.h"
#include "simulating_environment.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace lp {

// Waits up to the given time; true when the program has been asked to stop meanwhile.
using StopWait = std::function<bool(std::chrono::milliseconds)>;

// Runs cycles over table: the first one interval after the start, each next one an interval after
// the previous one ended, until a stop request or options.cycles cycles. Every operation goes
// into log, whose lines are written at the end of each cycle; with options.verbose it is printed
// as well, as it is performed. The files in sortAgain (whole paths: what a stopped run left
// undone) count as new from the first cycle on, though they were there at the start; takenUp is
// called once that cycle has run. The files the rules placed in their own folders are read from
// and noted at placedPath (see placed_files.h); nowhere for an empty path. Returns the exit
// status.
int RunHeadless(ServiceTable& table, const CommandLine& options, const SortingPolicy& policy,
                CycleEnvironment& environment, ActivityLog& log, const StopWait& waitForStop,
                const LinePrinter& print, const std::vector<std::string>& sortAgain = {},
                const std::function<void()>& takenUp = {}, const std::string& placedPath = {});

// Runs one cycle in which every entry counts as new to NewFile rules and nothing is changed or
// started, nor logged; prints the operations that a verbose run would perform, with the names
// the policy would give them; a delete meant for the trash is foreseen by foreseeTrash (see
// SimulatingEnvironment), and fails without one. Returns the exit status.
int RunSimulation(ServiceTable& table, const SortingPolicy& policy, CycleEnvironment& environment,
                  const LinePrinter& print,
                  const TrashMover& foreseeTrash = SimulatingEnvironment::TakesAll());

} // namespace lp
