#pragma once
// The part of the program's entry that needs no window: reading the command line, and sorting
// without window or tray. The desktop program and the program built without a desktop share it.

#include "globals/command_line.h"
#include "sorting_policy.h"
#include "system_environment.h"

#include <functional>
#include <optional>

namespace lp {

// Prints one of the program's own lines for its user on standard error: a refusal, a problem
// with the configuration, what the program does instead of what was asked. Every such line of
// the entries and of the program without a window goes through here.
void SayOnStandardError(const std::string& line);

// The start both programs' main() make: prepares the trash before any thread starts, sets the
// console to UTF-8 and reads the arguments into options. Prints the usage, the version or what is
// wrong with the command line; the exit code is then returned and the program ends.
std::optional<int> StartProgram(int argc, char** argv, CommandLine& options);

// What the user chose beyond the configuration file, as far as the calling program can read it:
// how name clashes are settled, and the trash that deletes may go to (none: such a delete fails
// and the file stays), with what foresees its refusals for --simulate.
struct WithoutWindowChoices {
    SortingPolicy policy;
    TrashMover trash;
    TrashMover foreseeTrash;
};

// Sorting without window or tray, or one simulated cycle that changes nothing. A real run first
// takes the instance guard: holdInstance returns false, having said why, when this process must
// not sort (another instance does, or the guard cannot be set up). A real run writes every
// operation into the activity log; a simulation writes nothing.
int RunWithoutWindow(const CommandLine& options, const std::function<bool()>& holdInstance,
                     const WithoutWindowChoices& choices = {});

} // namespace lp
