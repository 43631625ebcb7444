#include "remembered_folder.h"
#include "name_pairing.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

namespace lp {

namespace {

using platform::FolderEntry;

// Coarse time stamps (whole seconds, two seconds on some disks) cannot hide a change that came
// this long after the folder's last one.
constexpr std::int64_t kSettledNs = 2'000'000'000;

// A few changes pass a watch by (a file written through a memory map, or given a second name
// elsewhere and written there), so a watched folder is listed whole now and then all the same.
constexpr int kTurnsBetweenWholeListings = 60;

struct Details {
    bool isFolder;
    std::int64_t size;
    double date;
    bool watchable;
    bool operator==(const Details&) const = default;
};

Details detailsOf(const FolderEntry& entry) {
    return {entry.isFolder, entry.size, entry.date, entry.watchable};
}

void copyDetails(const FolderEntry& from, FolderEntry& to) {
    to.isFolder = from.isFolder;
    to.size = from.size;
    to.date = from.date;
    to.watchable = from.watchable;
}

} // namespace

bool RememberedFolder::refresh(const std::string& folder, bool withDetails,
                               CycleEnvironment& environment) {
    platform::FolderObserver* observer = environment.folderObserver();
    if (!observer)
        return listWhole(folder, withDetails, environment, nullptr, std::nullopt, 0);
    const bool same = valid_ && folder == folder_ && withDetails == withDetails_;
    if (!same)
        forget(observer);
    // The clock and the stamp come before any listing, so that whatever changes from here on
    // shows at the next refresh.
    const std::int64_t startedNs = observer->now();
    const std::optional<platform::FolderStamp> stamp = observer->stamp(folder);
    const bool sameFolder = same && stamp && stamp->local && stamp->device == stamp_.device &&
                            stamp->inode == stamp_.inode;
    if (sameFolder && !withDetails) {
        // Every change of names sets the modification time to the moment of the change, so
        // one after a listing that began well after that time cannot leave it as it was. The
        // change time, which setting the folder's times moves on, need only be the same.
        const bool settled = listedNs_ >= stamp_.modifiedNs + kSettledNs;
        if (*stamp == stamp_ && settled) {
            changed_ = false;
            return true;
        }
    } else if (sameFolder && watch_ >= 0 && ++turnsSinceWhole_ < kTurnsBetweenWholeListings) {
        switch (followWatch(folder, environment, *observer)) {
        case Update::Done:
            stamp_ = *stamp;
            return true;
        case Update::Failed:
            forget(observer);
            return false;
        case Update::ListWhole:
            break;
        }
    }
    return listWhole(folder, withDetails, environment, observer, stamp, startedNs);
}

bool RememberedFolder::listWhole(const std::string& folder, bool withDetails,
                                 CycleEnvironment& environment, platform::FolderObserver* observer,
                                 const std::optional<platform::FolderStamp>& stamp,
                                 std::int64_t startedNs) {
    stopWatching(observer);
    // The watch is set before the listing, so nothing that changes during it goes unseen.
    if (observer && withDetails && stamp && stamp->local) {
        watch_ = observer->watch(folder);
        (void)observer->takeChanges(watch_); // the listing sees all of that
    }
    if (!environment.listFolderInto(folder, withDetails, entries_)) {
        forget(observer);
        return false;
    }
    folder_ = folder;
    withDetails_ = withDetails;
    valid_ = true;
    changed_ = true;
    stamp_ = stamp.value_or(platform::FolderStamp{});
    listedNs_ = startedNs;
    turnsSinceWhole_ = 0;
    return true;
}

RememberedFolder::Update RememberedFolder::followWatch(const std::string& folder,
                                                       CycleEnvironment& environment,
                                                       platform::FolderObserver& observer) {
    const platform::FolderChanges changes = observer.takeChanges(watch_);
    if (changes.everything)
        return Update::ListWhole;
    if (changes.namesChanged)
        return readNamesAgain(folder, environment, observer, changes.names);
    std::vector<bool> again(entries_.size(), false);
    if (!changes.names.empty()) {
        const std::unordered_set<std::string_view> named(changes.names.begin(),
                                                         changes.names.end());
        for (std::size_t i = 0; i < entries_.size(); ++i)
            again[i] = named.contains(entries_[i].name);
    }
    return examineAgain(folder, observer, std::move(again));
}

RememberedFolder::Update RememberedFolder::examineAgain(const std::string& folder,
                                                        platform::FolderObserver& observer,
                                                        std::vector<bool> again) {
    // What a watch on the folder cannot see is examined every time: sub-folders (whose time
    // follows their own content), links (whose target lies elsewhere), files with other names.
    std::vector<FolderEntry*> examined;
    std::vector<Details> before;
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (again[i] || !entries_[i].watchable) {
            examined.push_back(&entries_[i]);
            before.push_back(detailsOf(entries_[i]));
        }
    switch (observer.examine(folder, examined)) {
    case platform::EntryLook::Found:
        break;
    case platform::EntryLook::Vanished: // a departure that the watch has yet to report
        return Update::ListWhole;
    case platform::EntryLook::Failed:
        return Update::Failed;
    }
    changed_ = false;
    for (std::size_t e = 0; e < examined.size() && !changed_; ++e)
        changed_ = before[e] != detailsOf(*examined[e]);
    return Update::Done;
}

RememberedFolder::Update
RememberedFolder::readNamesAgain(const std::string& folder, CycleEnvironment& environment,
                                 platform::FolderObserver& observer,
                                 const std::vector<std::string>& changedNames) {
    // Names came or went: their order is the listing's to say, so the names are read again, but
    // only the entries that are new, named by the watch or unseen by it are examined.
    auto names = environment.listFolder(folder, false);
    if (!names)
        return Update::Failed;
    std::vector<FolderEntry>& fresh = *names;
    const std::vector<std::uint32_t> pairing = PairByName(fresh, entries_);
    const std::unordered_set<std::string_view> named(changedNames.begin(), changedNames.end());
    std::vector<FolderEntry*> examined;
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        const std::uint32_t p = pairing[i];
        if (p != kUnpaired && entries_[p].watchable && !named.contains(fresh[i].name))
            copyDetails(entries_[p], fresh[i]);
        else
            examined.push_back(&fresh[i]);
    }
    switch (observer.examine(folder, examined)) {
    case platform::EntryLook::Found:
        break;
    case platform::EntryLook::Vanished:
        return Update::ListWhole;
    case platform::EntryLook::Failed:
        return Update::Failed;
    }
    entries_ = std::move(fresh);
    changed_ = true;
    return Update::Done;
}

void RememberedFolder::stopWatching(platform::FolderObserver* observer) {
    if (observer)
        observer->unwatch(watch_);
    watch_ = -1;
}

void RememberedFolder::forget(platform::FolderObserver* observer) {
    stopWatching(observer);
    valid_ = false;
    changed_ = true;
    entries_ = {};
}

} // namespace lp
