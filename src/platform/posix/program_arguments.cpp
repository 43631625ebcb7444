#include "platform/program_arguments.h"

namespace lp::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // The bytes as they came: names on these systems are UTF-8 or whatever the user has.
    return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Console() {
    // Terminals take the bytes as they are.
}

} // namespace lp::platform
