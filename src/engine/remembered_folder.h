#pragma once
// A service folder's entries as a full listing gives them, kept from one turn to the next and
// brought up to date at the least cost the folder allows.

#include "cycle_environment.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lp {

using FolderHold = std::function<std::optional<platform::HeldFolder>()>;

// The environment's observer must outlive the remembered folder, which gives its watch back.
class RememberedFolder {
public:
    RememberedFolder() = default;
    ~RememberedFolder();
    RememberedFolder(RememberedFolder&& other) noexcept;
    RememberedFolder& operator=(RememberedFolder&& other) noexcept;
    RememberedFolder(const RememberedFolder&) = delete;
    RememberedFolder& operator=(const RememberedFolder&) = delete;

    // Brings entries() to what a full listing of folder, with or without details, gives now. The
    // folder is listed again only where that cannot be known otherwise:
    // - names only: not when the folder's own status (identity, modification and change times) is
    //   as before, on a local file system, and the last listing began at least two seconds after
    //   the folder last changed, so that even coarse time stamps would have shown a later change;
    // - with details: not when a watch vouches for the folder since its last listing; then only
    //   the entries the watch names, and those a watch cannot see (folders, links, files with more
    //   than one name), are examined again, and the names read again only when some came or went.
    //   A new name of a file with other names has every entry examined again, so that the file's
    //   other names in the folder are known to be such from then on.
    // A watched folder is listed whole now and then all the same, for the few changes that pass
    // a watch by: changes of what a file holds under a name it keeps, which matter only where
    // the details do; without detailsMatter it is not.
    // Returns false when the folder cannot be listed whole; nothing is then remembered.
    // hold, when given, holds the folder open (see CycleEnvironment::holdFolder) for a folder
    // that may be swapped for a link at any moment: whatever looks into the folder then goes
    // through the folder held, so that what a link leads to is never listed in its place, and a
    // folder that can no longer be held cannot be listed. It is held only when looked into.
    bool refresh(const std::string& folder, bool withDetails, CycleEnvironment& environment,
                 bool detailsMatter = true, const FolderHold& hold = {});

    // Whether a watch vouches for the folder between refreshes.
    bool watched() const { return watch_ >= 0; }
    // Whether the entries may differ from those of the refresh before.
    bool changed() const { return changed_; }
    // The entries, in the listing's order. A caller may borrow them but must give them back as
    // they were before the next refresh.
    std::vector<platform::FolderEntry>& entries() { return entries_; }

private:
    enum class Update : std::uint8_t { Done, ListWhole, Failed };

    class Inside;
    bool listWhole(Inside& inside, bool withDetails, CycleEnvironment& environment,
                   platform::FolderObserver* observer,
                   const std::optional<platform::FolderStamp>& stamp, std::int64_t startedNs);
    Update followWatch(Inside& inside, CycleEnvironment& environment,
                       platform::FolderObserver& observer);
    Update readNamesAgain(Inside& inside, CycleEnvironment& environment,
                          platform::FolderObserver& observer,
                          const std::vector<std::string>& changedNames);
    Update examineAgain(Inside& inside, platform::FolderObserver& observer,
                        std::vector<bool> again);
    // Reads the details of entries anew: Done, or what a departure or a failure calls for.
    static Update lookAt(Inside& inside, platform::FolderObserver& observer,
                         const std::vector<platform::FolderEntry*>& entries);
    void stopWatching(platform::FolderObserver* observer);
    // Drops the entries and the watch: what comes next is a whole listing.
    void forget(platform::FolderObserver* observer);

    std::string folder_;
    bool withDetails_ = false;
    bool valid_ = false;
    bool changed_ = true;
    int watch_ = -1;                              // the observer's watch on the folder, or none
    platform::FolderObserver* watcher_ = nullptr; // the observer that holds watch_
    int turnsSinceWhole_ = 0;
    platform::FolderStamp stamp_;
    std::int64_t listedNs_ = 0; // when the listing of entries_ began
    std::vector<platform::FolderEntry> entries_;
};

} // namespace lp
