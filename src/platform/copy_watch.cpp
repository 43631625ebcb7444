#include "platform/copy_watch.h"

#include <utility>

namespace lp::platform {

namespace {

// Per thread: the cycle's copies are watched, an undo made on the window's thread is not.
struct ThreadCopies {
    CopyWatcher watcher;
    const std::string* source = nullptr;
    const std::string* destination = nullptr;
    bool moving = false;
    std::string folder;
    std::string rule;
};

ThreadCopies& thisThread() {
    thread_local ThreadCopies copies;
    return copies;
}

} // namespace

WatchCopies::WatchCopies(CopyWatcher watcher)
    : previous_(std::exchange(thisThread().watcher, std::move(watcher))) {}

WatchCopies::~WatchCopies() {
    thisThread().watcher = std::move(previous_);
}

CopyUnderWay::CopyUnderWay(const std::string& source, const std::string& destination, bool moving) {
    ThreadCopies& copies = thisThread();
    copies.source = &source;
    copies.destination = &destination;
    copies.moving = moving;
}

CopyUnderWay::~CopyUnderWay() {
    ThreadCopies& copies = thisThread();
    if (copies.watcher && copies.source && copies.destination)
        copies.watcher(CopyStep{*copies.source, *copies.destination, copies.moving, 0, 0,
                                /*ended=*/true, copies.folder, copies.rule});
    copies.source = nullptr;
    copies.destination = nullptr;
}

void CopiesDoneFor(const std::string& folder, const std::string& rule) {
    ThreadCopies& copies = thisThread();
    copies.folder = folder;
    copies.rule = rule;
}

bool CopiesWatched() {
    return static_cast<bool>(thisThread().watcher);
}

bool CopyGoesOn(std::uint64_t done, std::uint64_t total) {
    const ThreadCopies& copies = thisThread();
    if (!copies.watcher)
        return true;
    static const std::string unnamed;
    return copies.watcher(CopyStep{copies.source ? *copies.source : unnamed,
                                   copies.destination ? *copies.destination : unnamed,
                                   copies.moving, done, total, /*ended=*/false, copies.folder,
                                   copies.rule});
}

} // namespace lp::platform
