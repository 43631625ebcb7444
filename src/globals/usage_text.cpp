#include "usage_text.h"

namespace lp {

std::string usageText() {
    // Kept under 80 columns, so that it reads in any terminal.
    return R"(Usage: larchpost [startup] [--config PATH] [--verbose]
       larchpost --headless [--config PATH] [--interval MS] [--cycles N]
                 [--verbose]
       larchpost --simulate [--config PATH] [--folder NAME|N]
       larchpost --help | --version

Sorts the files that arrive in watched folders by your own rules.

Modes:
  (no mode)       the desktop program: main window and notification-area icon
  startup         the desktop program, started hidden in the notification area
                  (the word in any letter case; the auto-start entry passes it)
  --headless      sort without window or tray until SIGINT or SIGTERM, which
                  let the cycle in progress finish
  --simulate      run one cycle that changes nothing, print what it would do;
                  every file now in a folder counts as new, as if it had just
                  arrived (the running program acts only on arrivals), as
                  said on standard error before the lines

Options:
  --config PATH   read and save this configuration file instead of bxconf.ini
  --interval MS   milliseconds from the end of one cycle to the next one
                  (--headless; default 5000, from 0 to 86400000, a day)
  --cycles N      stop after N cycles (--headless; 0 ends after start-up)
  --folder NAME   (--simulate) only the folder of that name in the main
  --folder N      window's list, or of that line, counted from 1
  --verbose       print one line per file operation or launch on standard
                  output (--headless; --simulate always prints them);
                  the desktop program: adds its debug lines on standard error
  -h, --help      print this help and exit
  --version       print the version and exit

Exit status: 0 done; 1 not started, as when another Larchpost already sorts
for this user; 2 a malformed command line or an unknown --folder. More in
larchpost(1).
)";
}

} // namespace lp
