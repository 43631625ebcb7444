#pragma once
// Small questions and requests to the operating system that the main window makes.

namespace lp {

// Gives the system back the memory a program hidden in the tray can do without: free heap, and
// the pages of its files that the system can read again when they are next needed. Errors are
// ignored.
void TrimWorkingSet();

} // namespace lp
