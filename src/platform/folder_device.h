#pragma once
// Where a walk through a folder's sub-folders may go: into a folder itself, not through a link
// to one, and not onto another file system mounted inside.

#include <cstdint>
#include <optional>
#include <string>

namespace lp::platform {

struct RealFolder {
    std::uint64_t device = 0; // two folders on one file system give the same number
    std::uint64_t index = 0;  // the folder itself on its file system; 0 where it cannot be told
    // Something is mounted on it: another file system, or a folder of its own one (a bind
    // mount), which its device alone would not tell.
    bool mountedOn = false;
};

// The folder at path; nothing when it is anything else or cannot be examined. A link to a folder
// counts as a folder only when followLink is set (the watched folder itself may be one).
std::optional<RealFolder> RealFolderAt(const std::string& path, bool followLink = false);

// Whether path is longer than the system examines a file by: what lies there can be reached only
// from a folder held open above it.
bool TooLongToExamine(const std::string& path);

} // namespace lp::platform
