#include "platform/trash.h"

namespace lp::platform {

// Deletes meant for the trash fail here and the file stays, rather than being removed for good.
bool TrashAvailable() {
    return false;
}
void PrepareTrash() {}
std::error_code ForeseeTrashRefusal(const std::string&) {
    return std::make_error_code(std::errc::operation_not_supported);
}
std::error_code MoveToTrash(const std::string&) {
    return std::make_error_code(std::errc::operation_not_supported);
}

} // namespace lp::platform
