// The program's entry: reads the command line and runs the start-up sequence.

#include "desktop/display_check.h"
#include "desktop/single_instance.h"
#include "globals/app_globals.h"
#include "globals/command_line.h"
#include "globals/startup.h"
#include "main/desktop_app.h"

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
    // Without any display a window cannot open; sorting still can.
    if (!options.headless && !lp::displayAvailable()) {
        std::cerr << "larchpost: no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are "
                     "unset); running without a window, as with --headless.\n";
        options.headless = true;
    }
    if (!options.headless)
        return lp::runDesktop(argc, argv, options, lp::MonitorCycle{});

    // The same guard as the desktop program: never two instances sorting the same folders.
    try {
        if (lp::CheckAppAlreadyRunning("Larchpost", false, false)) {
            std::cerr << "larchpost: another Larchpost is already running for this user.\n";
            return 1;
        }
    } catch (const lp::InstanceGuardError& error) {
        std::cerr << "larchpost: " << error.what() << '\n';
        return 1;
    }
    lp::AppGlobals& globals = lp::app();
    const auto printMessage = [](const std::string& message) { std::cerr << message << '\n'; };
    const lp::ConfigStartResult config = lp::StartConfiguration(globals, options, printMessage);
    if (config.rewritten && config.rewriteResult != 0)
        std::cerr << "larchpost: the configuration file " << globals.configPath
                  << " could not be saved in the current layout.\n";
    return 0;
}
