// The program's entry: reads the command line and runs the start-up sequence.

#include "globals/command_line.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    lp::CommandLine options;
    if (auto error = lp::parseCommandLine(args, options)) {
        std::cerr << "larchpost: " << *error << '\n';
        return 2;
    }
    return 0;
}
