#pragma once
// Memory housekeeping of the own process.

namespace lp::platform {

// Hands heap memory that is free again back to the operating system. Failures are ignored: the
// memory simply stays with the process.
void releaseFreeHeapMemory();

} // namespace lp::platform
