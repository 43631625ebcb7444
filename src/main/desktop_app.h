#pragma once
// The desktop program's start-up: the single-instance guard, the fixed formats, the defaults, the
// settings, the configuration file, and the main window, shown or hidden; then the event loop.

#include "globals/command_line.h"
#include "mainwindow.h"

namespace lp {

// Ends the event loop with status 0 when the window asks for the program's end. The end is not
// put to the windows first: a close request would only hide the main window to the tray and so
// keep the program running.
void endProgramOnRequest(TfrmMain& window);

// Runs the desktop program to its end and returns its exit status. A second instance asks the
// first to come forward and returns 0 at once, touching no settings and no files.
// sortNow is how the window's Sort Now works, on the cycle thread beside cycle.
int runDesktop(int argc, char** argv, const CommandLine& options, MonitorCycle cycle,
               SortNowWork sortNow);

} // namespace lp
