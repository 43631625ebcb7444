#include "platform/process_memory.h"

#include <malloc.h>

namespace lp::platform {

void releaseFreeHeapMemory() {
    // Keeps no padding at the top of the heap: everything free goes back.
    (void)malloc_trim(0);
}

} // namespace lp::platform
