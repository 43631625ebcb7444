#pragma once
// The program's command line and console as UTF-8 text, whatever the system's own encoding.

#include <string>
#include <vector>

namespace lp::platform {

// The arguments the program was started with, its own path first, each in UTF-8.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes UTF-8 text written to the standard streams show as such on the console.
void UseUtf8Console();

} // namespace lp::platform
