#include "platform/process_memory.h"

#include "windows_support.h"

namespace lp::platform {

void releaseFreeHeapMemory() {
    ::HeapCompact(::GetProcessHeap(), 0);
}

void trimWorkingSet() {
    releaseFreeHeapMemory();
    // Asks Windows to remove as many pages as it can from the working set; they come back from
    // the standby list or the files when next touched.
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1),
                               static_cast<SIZE_T>(-1));
}

} // namespace lp::platform
