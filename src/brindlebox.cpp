// The program's entry: reads the command line and runs the desktop program, or sorts without a
// window.

#include "desktop/display_check.h"
#include "desktop/registry_settings.h"
#include "desktop/single_instance.h"
#include "desktop/sorting_cycle.h"
#include "desktop/stored_options.h"
#include "engine/program_without_window.h"
#include "main/desktop_app.h"
#include "platform/problem.h"
#include "platform/trash.h"

#include <string>

namespace {

// Sorting takes the desktop program's guard, so that the two never sort the same folders.
bool holdDesktopGuard() {
    bool heldElsewhere = false;
    if (const lp::Problem problem =
            lp::CheckAppAlreadyRunning("Larchpost", false, false, heldElsewhere)) {
        lp::SayOnStandardError("larchpost: " + *problem);
        return false;
    }
    if (heldElsewhere) {
        lp::SayOnStandardError("larchpost: another Larchpost is already running for this user.");
        return false;
    }
    return true;
}

// The choices the settings file holds, for sorting without a window as with one.
lp::WithoutWindowChoices storedChoices() {
    return {lp::ReadStoredOptions(lp::settingsStore(), lp::SayOnStandardError).policy,
            lp::platform::MoveToTrash, lp::platform::ForeseeTrashRefusal};
}

} // namespace

int main(int argc, char** argv) {
    lp::CommandLine options;
    if (const auto exitCode = lp::StartProgram(argc, argv, options))
        return *exitCode;
    if (options.headless || options.simulate)
        return lp::RunWithoutWindow(options, holdDesktopGuard, storedChoices());
    // Without any display a window cannot open; sorting still can.
    if (!lp::displayAvailable()) {
        lp::SayOnStandardError(
            "larchpost: no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM "
            "are unset); running without a window, as with --headless.");
        lp::CommandLine headless = options;
        headless.headless = true;
        return lp::RunWithoutWindow(headless, holdDesktopGuard, storedChoices());
    }
    // The window's Sort Now shares the cycles' activity log.
    const lp::DesktopSortingCycle cycle;
    return lp::runDesktop(argc, argv, options, cycle, cycle.sortNowWork());
}
