#pragma once
// Small questions and requests to the operating system that the main window makes.

namespace lp {

// Whether the system can take back a hidden program's memory on request. Every system we run on
// can, so the tray's hide command always trims.
bool IsWinNT();

// Gives the system back the memory a program hidden in the tray can do without: free heap, and
// the pages of its files that the system can read again when they are next needed. Errors are
// ignored.
void TrimWorkingSet();

} // namespace lp
