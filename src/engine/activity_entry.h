#pragma once
// One line of the activity log: when an operation was done, for which folder and rule, and the
// operation itself exactly as the verbose output prints it, followed, after a move or copy that
// succeeded, by what identifies the file it left at its destination, or after one that failed, by
// why it did, when that is known:
//   <time> "<folder>" "<rule>" <operation line>[ # size=<bytes> mtime=<ns> file=<device>:<inode>
//   [ made=<folders made for it>]]
//   <time> "<folder>" "<rule>" failed <operation line>[ # reason="<why>"]
// The time is local, ISO 8601 to the second with its offset (2026-12-08T09:12:33+01:00).

#include "platform/file_identity.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lp {

// What tells whether the file at a path is still the one an operation left there: its size,
// last-write time in nanoseconds since the epoch, device and inode.
using FileIdentity = platform::FileIdentity;

struct ActivityEntry {
    std::string time; // as written
    std::string folder;
    std::string rule;
    bool failed = false;
    bool undo = false; // "undo move" / "undo delete"
    // "move", "copy", "delete", "trash", "launch", or a retry stage of the file named:
    // "retry", "retry-hourly", "give-up"
    std::string action;
    std::vector<std::string>
        values; // unquoted: source and destination, the path, program and arguments
    std::optional<FileIdentity> identity;
    // How many of the innermost folders of a move's or copy's destination it made for the file
    // (written " made=N" after the identity): an undo removes them when they are empty again.
    std::int32_t madeFolders = 0;
    std::string reason; // why it failed; empty when it did not, or when that is not known
    bool operator==(const ActivityEntry&) const = default;
};

// The entry's line, without its line break.
std::string FormatActivityLine(const ActivityEntry& entry);

// The entry a line holds (a trailing line break allowed); nothing when the line is not one.
std::optional<ActivityEntry> ParseActivityLine(std::string_view line);

} // namespace lp
