#pragma once
// Small questions and requests to the operating system that the main window makes.

namespace lp {

// Whether the system can take back a hidden program's memory on request. Every system we run on
// can, so the tray's hide command always trims.
bool IsWinNT();

// Gives freed heap memory back to the system; errors are ignored.
void TrimWorkingSet();

} // namespace lp
