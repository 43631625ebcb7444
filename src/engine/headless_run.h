#pragma once
// The program without a window: monitor cycles at a fixed interval until it is asked to stop, or
// a single simulated cycle that only says what it would do.

#include "cycle_environment.h"
#include "globals/command_line.h"
#include "globals/records.h"
#include "operation_report.h"

#include <chrono>
#include <functional>

namespace lp {

// Waits up to the given time; true when the program has been asked to stop meanwhile.
using StopWait = std::function<bool(std::chrono::milliseconds)>;

// Runs cycles over table: the first one interval after the start, each next one an interval after
// the previous one ended, until a stop request or options.cycles cycles. With options.verbose
// every operation is printed as it is performed. Returns the exit status.
int RunHeadless(ServiceTable& table, const CommandLine& options, CycleEnvironment& environment,
                const StopWait& waitForStop, const LinePrinter& print);

// Runs one cycle in which every entry counts as new to NewFile rules and nothing is changed or
// started; prints the operations that a verbose run would perform. Returns the exit status.
int RunSimulation(ServiceTable& table, CycleEnvironment& environment, const LinePrinter& print);

} // namespace lp
