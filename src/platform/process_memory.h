#pragma once
// Memory housekeeping of the own process.

namespace lp::platform {

// Hands heap memory that is free again back to the operating system. Failures are ignored: the
// memory simply stays with the process.
void releaseFreeHeapMemory();

// For a program about to wait in the background: besides the free heap, gives up the pages of
// its program and library files it holds alone, which are read back when next touched. What the
// waiting itself touches comes back at the next cycle; start-up code, windows and menus stay out
// until they are used again. Failures are ignored.
void trimWorkingSet();

} // namespace lp::platform
