#pragma once
// Which watched folder the user means on the command line: by the name the main window's folder
// list shows, or by its line there, counted from 1.

#include "globals/records.h"

#include <string>
#include <variant>

namespace lp {

// The position in table.services of the folder that nameOrNumber names, or why there is none, in
// words for the user. A value of digits only is a line number; any other value is a name,
// compared byte for byte. A name that two folders share is refused: their numbers tell them
// apart.
std::variant<std::size_t, std::string> ChooseFolder(const ServiceTable& table,
                                                    const std::string& nameOrNumber);

// The line said before a simulation's operations: which folders it runs and that every file in
// them counts as new, so that its lines are not taken for what the running program does next.
// folder is the one folder chosen, or null for all of them.
std::string SimulationHeading(const rServiceRules* folder);

} // namespace lp
