#include "system_info.h"

#include "platform/process_memory.h"

namespace lp {

void TrimWorkingSet() {
    platform::trimWorkingSet();
}

} // namespace lp
