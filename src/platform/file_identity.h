#pragma once
// What identifies the file at a path, read without following a link: whether it is still the one
// an operation left there.

#include <cstdint>
#include <optional>
#include <string>

namespace lp::platform {

struct FileIdentity {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // last-write time, nanoseconds since the epoch
    std::uint64_t device = 0;    // on Windows the volume serial number
    std::uint64_t inode = 0;     // on Windows the file index
    bool operator==(const FileIdentity&) const = default;
};

// Nothing when nothing stands at path or it cannot be examined. A folder has no identity here.
std::optional<FileIdentity> IdentifyFile(const std::string& path);

} // namespace lp::platform
