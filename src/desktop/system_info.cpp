#include "system_info.h"

#include "platform/process_memory.h"

namespace lp {

bool IsWinNT() {
    return true;
}

void TrimWorkingSet() {
    platform::trimWorkingSet();
}

} // namespace lp
