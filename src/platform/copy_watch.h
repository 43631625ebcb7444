#pragma once
// What a long copy tells while it runs, and how it is stopped: the thread that runs the copies
// names a watcher, which hears how far each copy has come and may stop it. A stopped copy fails
// with std::errc::operation_canceled and leaves nothing behind, as any failed copy does.

#include <cstdint>
#include <functional>
#include <string>

namespace lp::platform {

// One step of a copy, or of a move done by copying to another file system.
struct CopyStep {
    const std::string& source;
    const std::string& destination;
    bool moving = false;
    std::uint64_t done = 0; // bytes
    std::uint64_t total = 0;
    // The copy is over, whole or not: a failed one ends without a step that reaches the total.
    bool ended = false;
    // What the copy is done for, as CopiesDoneFor named it last on this thread; empty if never.
    const std::string& folder;
    const std::string& rule;
};

// Hears each step; false stops the copy.
using CopyWatcher = std::function<bool(const CopyStep& step)>;

// The copies made on this thread report to watcher while the object lives.
class WatchCopies {
public:
    explicit WatchCopies(CopyWatcher watcher);
    ~WatchCopies();
    WatchCopies(const WatchCopies&) = delete;
    WatchCopies& operator=(const WatchCopies&) = delete;

private:
    CopyWatcher previous_;
};

// For the copy routines: names the copy the steps from now on belong to, while it lives; its end
// is told to the watcher as a step that has ended.
class CopyUnderWay {
public:
    CopyUnderWay(const std::string& source, const std::string& destination, bool moving);
    ~CopyUnderWay();
    CopyUnderWay(const CopyUnderWay&) = delete;
    CopyUnderWay& operator=(const CopyUnderWay&) = delete;
};

// Names the folder and the rule that the copies made on this thread from now on are done for,
// told with each of their steps.
void CopiesDoneFor(const std::string& folder, const std::string& rule);

// For the copy routines: whether a watcher listens on this thread (copies then go in pieces small
// enough to tell their progress and stop soon), and the report of one step, false to stop.
bool CopiesWatched();
bool CopyGoesOn(std::uint64_t done, std::uint64_t total);

} // namespace lp::platform
