#pragma once
// Reading a folder's entries: every entry but "." and "..", hidden ones and sub-folders included,
// except the working files of Larchpost's own moves and copies (see kWorkingNamePrefix) and, on
// Linux, the trash the desktop keeps at a drive's top (".Trash", ".Trash-<user id>"), neither of
// which is the user's to sort.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lp::platform {

// How the names of the files a move or copy works with begin: the copy being made, the source
// while it is taken, a replaced file kept aside (see move_journal.h). Such a file left by a
// failure or a kill is set right by the next start, and no rule may take it for a user's file
// meanwhile, to sort it as a second copy.
inline constexpr std::string_view kWorkingNamePrefix = ".larchpost-";

struct FolderEntry {
    std::string name;      // the bare entry name
    bool isFolder = false; // known only when details were asked for
    std::int64_t size = 0; // 0 for a folder
    double date = 0.0;     // last-write time as a local date-time, see local_time.h
    // The exact last-write instant, nanoseconds since the epoch (UTC), where the listing has it:
    // what ranks entries by age, since the local date-time is coarse and runs back once a year.
    std::optional<std::int64_t> writeInstant;
    // Known only with details: a plain file with one link, not reached through a symbolic link,
    // whose details therefore change only through this folder, where a watch sees it.
    bool watchable = false;
    // The listing saw a plain file (no folder, link, pipe or device), where the system tells
    // that without a status call of its own; false when it does not tell.
    bool plainFile = false;
};

// Details are the size, the last-write time and whether the entry is a folder; they cost a status
// call per entry, so they are read only when asked for. An entry that vanishes between being named
// and being examined is left out. Returns nothing when the folder cannot be listed whole: when it
// cannot be opened (missing, unreadable, not a folder), when reading it fails part way, or when an
// entry cannot be examined for any other reason (a folder that may be read but not searched).
// That is not the same as an empty folder. expected is how many entries the caller foresees (the
// count of the last listing, say), so the list is allocated once.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails,
                                                   std::size_t expected = 0);

// As ListFolder, into entries, whose storage (the list's and its names') is used again, so that
// listing a large folder once more costs no new memory. False when the folder cannot be listed
// whole; entries then holds nothing.
bool ListFolderInto(const std::string& folder, bool withDetails, std::vector<FolderEntry>& entries);

// Just the names, as ListFolderInto without details gives them, into names.
bool ListNamesInto(const std::string& folder, std::vector<std::string>& names);

} // namespace lp::platform
