#pragma once
// Whether an entry may be taken out of its folder (moved away, deleted, trashed), told before
// anything is tried, so that a preview does not promise what the run will refuse.

#include <string>
#include <system_error>

namespace lp::platform {

// Why the running user could not take the entry at path out of its folder, told from the
// folder as it stands now, changing nothing: a folder the user may not write
// (permission_denied), one on a drive mounted read-only (read_only_file_system), or a shared
// folder that lets each user take only their own entries (operation_not_permitted). Nothing when
// it looks allowed or cannot be told (a folder that is gone, or a system that tells only by
// trying); the operation itself may still fail.
std::error_code ForeseeRemovalRefusal(const std::string& path);

} // namespace lp::platform
