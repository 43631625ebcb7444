#pragma once
// What lets a monitor cycle skip listing a folder that did not change: the folder's own status,
// a watch that reports which of its entries changed, and a look at single entries. Every part may
// be missing on a system (a network file system, no watch facility): the cycle then lists the
// folder in full, as it always may.
//
// What a system must provide (OpenFolderObserver):
// - stamp(): the folder's identity and modification and change times, and whether its file system
//   keeps those times exactly (a local one); nothing when the folder cannot be examined. A system
//   that cannot tell returns nothing, and every names-only listing is then taken in full.
// - watch()/takeChanges(): a watch that collects, from the moment it is set, the names of the
//   entries created, removed, renamed, written or whose attributes changed, and that says
//   "everything" when it cannot vouch for them (events lost, watch removed, folder replaced).
//   A system without one returns -1 from watch() and "everything" from takeChanges().
// - examine(): entries' details, exactly as a full listing with details would give them.
// - now(): the clock that file times are set from.

#include "platform/folder_listing.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lp::platform {

// A folder's own status, compared between cycles.
struct FolderStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since the epoch
    std::int64_t changedNs = 0;
    // The file system keeps the folder's times itself and exactly, so an equal stamp means equal
    // names (not a network or user-space file system, whose cached times can be stale).
    bool local = false;
    bool operator==(const FolderStamp&) const = default;
};

// What a watch saw in one folder since it was last asked.
struct FolderChanges {
    // The watch cannot vouch for what follows: no watch, events lost, or the folder itself was
    // removed, moved or replaced. The folder must then be listed in full.
    bool everything = true;
    // An entry was created, removed or renamed: the listing's names and order may differ.
    bool namesChanged = false;
    // Every entry name the events were about, each once.
    std::vector<std::string> names;
};

enum class EntryLook : std::uint8_t { Found, Vanished, Failed };

class FolderObserver {
public:
    virtual ~FolderObserver() = default;

    // Nothing when the folder cannot be examined.
    virtual std::optional<FolderStamp> stamp(const std::string& folder) = 0;
    // Sets a watch on folder with changes collected for this caller alone, so several callers may
    // watch one folder; the watch's number, or -1 when none can be set.
    virtual int watch(const std::string& folder) = 0;
    // Drops a watch; a number of -1 is ignored.
    virtual void unwatch(int watch) = 0;
    // The changes a watch collected since the previous call or since it was set, which are then
    // forgotten. A watch that says "everything" because its folder went is dropped as well.
    virtual FolderChanges takeChanges(int watch) = 0;
    // Reads the details of each of entries of folder anew, by its name, as ListFolder with details
    // gives them. Stops at the first entry that is gone since it was named (Vanished) or cannot
    // be examined (Failed).
    virtual EntryLook examine(const std::string& folder,
                              const std::vector<FolderEntry*>& entries) = 0;
    // Nanoseconds since the epoch, from the clock that file times are set from.
    virtual std::int64_t now() = 0;
};

// The system's observer; never null.
std::unique_ptr<FolderObserver> OpenFolderObserver();

} // namespace lp::platform
