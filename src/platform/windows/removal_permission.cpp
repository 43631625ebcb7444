#include "platform/removal_permission.h"

namespace lp::platform {

std::error_code ForeseeRemovalRefusal(const std::string&) {
    // Access lists, read-only media and redirected folders tell only when an entry is taken out
    // for real, and a probe file would be an arrival in a watched folder: the operation says.
    return {};
}

} // namespace lp::platform
