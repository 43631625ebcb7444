// The program's entry: reads the command line and runs the start-up sequence.

#include "globals/app_globals.h"
#include "globals/command_line.h"
#include "globals/startup.h"

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
    lp::AppGlobals& globals = lp::app();
    const auto printMessage = [](const std::string& message) { std::cerr << message << '\n'; };
    const lp::ConfigStartResult config = lp::StartConfiguration(globals, options, printMessage);
    if (config.rewritten && config.rewriteResult != 0)
        std::cerr << "larchpost: the configuration file " << globals.configPath
                  << " could not be saved in the current layout.\n";
    return 0;
}
