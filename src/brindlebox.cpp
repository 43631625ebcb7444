// The program's entry: reads the command line and runs the desktop program, or sorts without a
// window.

#include "desktop/display_check.h"
#include "desktop/single_instance.h"
#include "engine/headless_run.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "globals/app_globals.h"
#include "globals/command_line.h"
#include "globals/program_version.h"
#include "globals/startup.h"
#include "globals/usage_text.h"
#include "main/desktop_app.h"
#include "platform/stop_request.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

void printLine(const std::string& line) {
    std::cout << line << std::endl; // a script reading along sees each operation at once
}

// Sorting without window or tray, or one simulated cycle that changes nothing.
int runWithoutWindow(const lp::CommandLine& options) {
    // Before anything else, so that every thread started later inherits it.
    lp::platform::CatchStopRequests();
    // A simulation changes nothing, so it may run beside a running instance. Sorting takes the
    // desktop program's guard: never two instances sorting the same folders.
    if (!options.simulate) {
        try {
            if (lp::CheckAppAlreadyRunning("Larchpost", false, false)) {
                std::cerr << "larchpost: another Larchpost is already running for this user.\n";
                return 1;
            }
        } catch (const lp::InstanceGuardError& error) {
            std::cerr << "larchpost: " << error.what() << '\n';
            return 1;
        }
    }
    lp::AppGlobals& globals = lp::app();
    const auto printMessage = [](const std::string& message) { std::cerr << message << '\n'; };
    const lp::ConfigStartResult config = lp::StartConfiguration(globals, options, printMessage);
    if (config.refusal) {
        std::cerr << "larchpost: " << *config.refusal << '\n';
        return 2;
    }
    if (config.rewritten && config.rewriteResult != 0)
        std::cerr << "larchpost: the configuration file " << globals.configPath
                  << " could not be saved in the current layout.\n";

    lp::SystemEnvironment environment;
    if (options.simulate)
        return lp::RunSimulation(globals.table, environment, printLine);
    return lp::RunHeadless(globals.table, options, environment, lp::platform::WaitForStopRequest,
                           printLine);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    lp::CommandLine options;
    if (auto error = lp::parseCommandLine(args, options)) {
        std::cerr << "larchpost: " << *error << "\nTry 'larchpost --help' for the options.\n";
        return 2;
    }
    if (options.help) {
        std::cout << lp::usageText();
        return 0;
    }
    if (options.version) {
        std::cout << lp::versionBanner() << '\n';
        return 0;
    }
    if (options.headless || options.simulate)
        return runWithoutWindow(options);
    // Without any display a window cannot open; sorting still can.
    if (!lp::displayAvailable()) {
        std::cerr << "larchpost: no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are "
                     "unset); running without a window, as with --headless.\n";
        lp::CommandLine headless = options;
        headless.headless = true;
        return runWithoutWindow(headless);
    }
    return lp::runDesktop(argc, argv, options, lp::SystemMonitorCycle());
}
