#pragma once
#include "platform/problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

struct CommandLine {
    std::optional<std::string> configPath; // --config PATH replaces the application folder's file
    bool headless = false;                 // --headless: no window, no tray
    bool simulate = false;                 // --simulate: one cycle that changes nothing
    std::optional<std::string> folder;     // --folder NAME|N: the one folder --simulate runs
    bool verbose = false;                  // --verbose: one line per file operation or launch
    std::int64_t intervalMs = 5000;        // --interval MS
    std::optional<std::int64_t> cycles;    // --cycles N: stop after N cycles
    bool startHidden = false;              // an argument equal to "startup" in any letter case
    bool help = false;                     // --help: print the usage and end
    bool version = false;                  // --version: print the version and end
};

// Reads the arguments, the program path first. Arguments that are no option of ours are ignored,
// as the desktop program always did; a malformed option gives an error text and leaves out unset.
// --help and --version end the reading, as they end the program: what follows them is not read.
// --folder belongs to --simulate: given without it, it is refused rather than passed over, since
// the user meant something by it.
Problem parseCommandLine(const std::vector<std::string>& args, CommandLine& out);

} // namespace lp
