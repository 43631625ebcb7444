#include "platform/process_memory.h"

#include "windows_support.h"

namespace lp::platform {

void releaseFreeHeapMemory() {
    // Gives free heap blocks back, then trims the working set to what is really in use.
    ::HeapCompact(::GetProcessHeap(), 0);
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1),
                               static_cast<SIZE_T>(-1));
}

} // namespace lp::platform
