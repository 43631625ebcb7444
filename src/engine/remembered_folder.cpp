#include "remembered_folder.h"
#include "name_pairing.h"
#include "spare_room.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

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
    std::optional<std::int64_t> writeInstant;
    bool watchable;
    bool operator==(const Details&) const = default;
};

Details detailsOf(const FolderEntry& entry) {
    return {entry.isFolder, entry.size, entry.date, entry.writeInstant, entry.watchable};
}

} // namespace

// The path that looks into the folder: its own, or that of the folder held, held at the first
// look; nothing once it cannot be held.
class RememberedFolder::Inside {
public:
    Inside(const std::string& folder, const FolderHold& hold) : folder_(folder), hold_(hold) {}
    const std::string* path() {
        if (!hold_)
            return &folder_;
        if (!tried_) {
            tried_ = true;
            if (auto held = hold_())
                held_.emplace(std::move(*held));
        }
        return held_ ? &held_->path() : nullptr;
    }

private:
    const std::string& folder_;
    const FolderHold& hold_;
    std::optional<platform::HeldFolder> held_;
    bool tried_ = false;
};

RememberedFolder::~RememberedFolder() {
    stopWatching(watcher_);
}

RememberedFolder::RememberedFolder(RememberedFolder&& other) noexcept {
    *this = std::move(other);
}

RememberedFolder& RememberedFolder::operator=(RememberedFolder&& other) noexcept {
    if (this == &other)
        return *this;
    stopWatching(watcher_);
    folder_ = std::move(other.folder_);
    withDetails_ = other.withDetails_;
    valid_ = other.valid_;
    changed_ = other.changed_;
    watch_ = std::exchange(other.watch_, -1);
    watcher_ = std::exchange(other.watcher_, nullptr);
    turnsSinceWhole_ = other.turnsSinceWhole_;
    stamp_ = other.stamp_;
    listedNs_ = other.listedNs_;
    entries_ = std::move(other.entries_);
    other.valid_ = false;
    return *this;
}

bool RememberedFolder::refresh(const std::string& folder, bool withDetails,
                               CycleEnvironment& environment, bool detailsMatter,
                               const FolderHold& hold) {
    platform::FolderObserver* observer = environment.folderObserver();
    Inside inside(folder, hold);
    const auto listWholeNow = [&](const std::optional<platform::FolderStamp>& stamp,
                                  std::int64_t startedNs) {
        if (!listWhole(inside, withDetails, environment, observer, stamp, startedNs))
            return false;
        folder_ = folder;
        return true;
    };
    if (!observer)
        return listWholeNow(std::nullopt, 0);
    const bool same = valid_ && folder == folder_ && withDetails == withDetails_;
    if (!same)
        forget(observer);
    // The clock and the stamp come before any listing, so that whatever changes from here on
    // shows at the next refresh. The stamp is taken by path, which costs least: a folder that
    // is not the one remembered there is listed anew, through the folder held.
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
    } else if (sameFolder && watch_ >= 0 &&
               (!detailsMatter || ++turnsSinceWhole_ < kTurnsBetweenWholeListings)) {
        switch (followWatch(inside, environment, *observer)) {
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
    return listWholeNow(stamp, startedNs);
}

bool RememberedFolder::listWhole(Inside& inside, bool withDetails, CycleEnvironment& environment,
                                 platform::FolderObserver* observer,
                                 const std::optional<platform::FolderStamp>& stamp,
                                 std::int64_t startedNs) {
    stopWatching(observer);
    const std::string* folder = inside.path();
    if (!folder) {
        forget(observer);
        return false;
    }
    // The watch is set before the listing, so nothing that changes during it goes unseen.
    if (observer && withDetails && stamp && stamp->local) {
        watch_ = observer->watch(*folder);
        watcher_ = observer;
        (void)observer->takeChanges(watch_); // the listing sees all of that
    }
    // Room for a few arrivals, which can then be put in place without moving the list.
    entries_.reserve(entries_.size() + entries_.size() / 32 + 16);
    if (!environment.listFolderInto(*folder, withDetails, entries_)) {
        forget(observer);
        return false;
    }
    GiveBackSpareRoom(entries_);
    withDetails_ = withDetails;
    valid_ = true;
    changed_ = true;
    stamp_ = stamp.value_or(platform::FolderStamp{});
    listedNs_ = startedNs;
    turnsSinceWhole_ = 0;
    return true;
}

RememberedFolder::Update RememberedFolder::followWatch(Inside& inside,
                                                       CycleEnvironment& environment,
                                                       platform::FolderObserver& observer) {
    const platform::FolderChanges changes = observer.takeChanges(watch_);
    if (changes.everything)
        return Update::ListWhole;
    if (changes.namesChanged)
        return readNamesAgain(inside, environment, observer, changes.names);
    std::vector<bool> again(entries_.size(), false);
    if (!changes.names.empty()) {
        const std::unordered_set<std::string_view> named(changes.names.begin(),
                                                         changes.names.end());
        for (std::size_t i = 0; i < entries_.size(); ++i)
            again[i] = named.contains(entries_[i].name);
    }
    return examineAgain(inside, observer, std::move(again));
}

RememberedFolder::Update RememberedFolder::examineAgain(Inside& inside,
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
    if (const Update update = lookAt(inside, observer, examined); update != Update::Done)
        return update;
    changed_ = false;
    for (std::size_t e = 0; e < examined.size() && !changed_; ++e)
        changed_ = before[e] != detailsOf(*examined[e]);
    return Update::Done;
}

RememberedFolder::Update
RememberedFolder::readNamesAgain(Inside& inside, CycleEnvironment& environment,
                                 platform::FolderObserver& observer,
                                 const std::vector<std::string>& changedNames) {
    // Names came or went: their order is the listing's to say, so the names are read again, but
    // only the entries that are new, named by the watch or unseen by it are examined.
    std::vector<std::string> names;
    names.reserve(entries_.size() + entries_.size() / 32 + 16);
    const std::string* folder = inside.path();
    if (!folder || !environment.listNamesInto(*folder, names))
        return Update::Failed;
    const std::vector<std::uint32_t> pairing = PairByName(names, entries_);
    // The remembered entries are rearranged where they are, so that no second list of them is
    // ever made: that needs the entries that stayed in the order they had, which a folder's
    // listing keeps, and room for the newcomers.
    std::vector<bool> stays(entries_.size(), false);
    std::int64_t last = -1;
    for (const std::uint32_t p : pairing) {
        if (p == kUnpaired)
            continue;
        if (static_cast<std::int64_t>(p) <= last)
            return Update::ListWhole;
        last = p;
        stays[p] = true;
    }
    if (names.size() > entries_.capacity())
        return Update::ListWhole;
    std::size_t kept = 0;
    for (std::size_t k = 0; k < entries_.size(); ++k)
        if (stays[k]) {
            if (kept != k)
                entries_[kept] = std::move(entries_[k]);
            ++kept;
        }
    entries_.resize(names.size());
    // From the back, each entry that stayed moves to its new place, never onto one yet to move.
    const std::unordered_set<std::string_view> named(changedNames.begin(), changedNames.end());
    std::vector<FolderEntry*> examined;
    std::vector<bool> looked(names.size(), false);
    std::vector<FolderEntry*> arrived; // new names, and names the watch reported
    std::size_t from = kept;
    for (std::size_t i = names.size(); i-- > 0;) {
        FolderEntry& entry = entries_[i];
        if (pairing[i] != kUnpaired) {
            if (--from != i)
                entry = std::move(entries_[from]);
            if (named.contains(entry.name))
                arrived.push_back(&entry);
            looked[i] = !entry.watchable || named.contains(entry.name);
        } else {
            entry = FolderEntry{};
            entry.name = std::move(names[i]);
            arrived.push_back(&entry);
            looked[i] = true;
        }
        if (looked[i])
            examined.push_back(&entry);
    }
    changed_ = true;
    if (const Update update = lookAt(inside, observer, examined); update != Update::Done)
        return update;
    // A name that came with other names of its file (a link made here to a file of the folder)
    // leaves the watch blind to the others: a write through one name is reported for that name
    // alone, and the link count that the others' details hold went up unreported. So every
    // entry thought to have one name is looked at again; those with more are then looked at in
    // every turn, as a watch cannot see them.
    const bool secondName = std::any_of(arrived.begin(), arrived.end(), [](const FolderEntry* e) {
        return !e->isFolder && !e->watchable;
    });
    if (secondName) {
        examined.clear();
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (!looked[i] && entries_[i].watchable)
                examined.push_back(&entries_[i]);
        if (const Update update = lookAt(inside, observer, examined); update != Update::Done)
            return update;
    }
    GiveBackSpareRoom(entries_); // the examined entries are not looked at again
    return Update::Done;
}

RememberedFolder::Update RememberedFolder::lookAt(Inside& inside,
                                                  platform::FolderObserver& observer,
                                                  const std::vector<FolderEntry*>& entries) {
    if (entries.empty())
        return Update::Done;
    const std::string* folder = inside.path();
    if (!folder)
        return Update::Failed;
    switch (observer.examine(*folder, entries)) {
    case platform::EntryLook::Found:
        return Update::Done;
    case platform::EntryLook::Vanished: // a departure that the watch has yet to report
        return Update::ListWhole;
    case platform::EntryLook::Failed:
        return Update::Failed;
    }
    return Update::Failed;
}

void RememberedFolder::stopWatching(platform::FolderObserver* observer) {
    if (observer && watch_ >= 0)
        observer->unwatch(watch_);
    watch_ = -1;
    watcher_ = nullptr;
}

void RememberedFolder::forget(platform::FolderObserver* observer) {
    stopWatching(observer);
    valid_ = false;
    changed_ = true;
    entries_ = {};
}

} // namespace lp
