#pragma once
// Starting other programs, never through a shell, and without waiting for them.

#include <string>
#include <system_error>
#include <vector>

namespace lp::platform {

// Starts program with the given arguments, the program's own name first in its argument list. A
// program named without a folder is looked up on PATH. Something that is no executable program (a
// document, a web address) is handed to the desktop's default handler instead, without the
// arguments. The program's standard input and output are the null device; its standard error is
// ours. The started program is not waited for, and leaves no zombie behind. Fails when nothing
// could be started.
std::error_code StartProgram(const std::string& program, const std::vector<std::string>& arguments);

// Whether StartProgram would find something to start for program, found without starting it.
bool ProgramStartable(const std::string& program);

} // namespace lp::platform
