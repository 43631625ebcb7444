#pragma once
// Follows the activity log while it grows, for a window that lists it: the first read gives every
// entry of the log's files, oldest first; each later read gives only what was appended since, the
// rest of a file that was rotated away included. Lines that do not parse are skipped.

#include "activity_entry.h"
#include "platform/problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

struct ActivityUpdate {
    // True when the log could not be followed (a file truncated, rotated more than once since
    // the last read, or not readable at the last read): entries then holds the whole log again
    // and replaces what was read before.
    bool restarted = false;
    std::vector<ActivityEntry> entries; // oldest first
    // Why a file of the log could not be read, for the user: its entries are missing meanwhile.
    Problem problem;
};

class ActivityLogTail {
public:
    explicit ActivityLogTail(std::string path);

    ActivityUpdate read();

private:
    struct Place {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t offset = 0; // bytes of the file read so far
    };

    ActivityUpdate readChanges();
    ActivityUpdate readAll();
    // Reads the file at path from place's offset on; false when it cannot be opened, which the
    // read's problem then tells.
    bool readFrom(const std::string& path, Place& place, std::vector<ActivityEntry>& into);

    std::string path_;
    bool started_ = false;
    std::optional<Place> live_; // the file that stood at path_ at the last read
    std::string partial_;       // a last line not yet ended by its '\n'
    Problem problem_;           // the first file of this read that could not be opened
    bool missedFile_ = false;   // the last read could not open one of the files
};

} // namespace lp
