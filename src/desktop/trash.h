#pragma once
// The desktop's trash, for deletes the user wants to be able to take back.

#include <string>
#include <system_error>

namespace lp {

// Moves the file at path (a link itself, never what it leads to) into the user's trash, where the
// desktop's file manager can restore it. A folder is refused, as every delete refuses one.
std::error_code MoveToTrash(const std::string& path);

} // namespace lp
