#pragma once
// The monitor cycle as both programs run it on the real disk: with the options the settings file
// holds, deletes that may go to the desktop's trash, and every operation in the activity log.

#include "engine/activity_log.h"
#include "engine/cycle_memory.h"
#include "engine/sort_now.h"
#include "engine/system_environment.h"
#include "globals/records.h"
#include "stored_options.h"

#include <functional>
#include <memory>
#include <set>

namespace lp {

// The real disk, clock and processes, with the desktop's trash.
SystemEnvironment DesktopEnvironment();

// Sort Now's two steps as the window hands them to the cycle thread (see engine/sort_now.h).
struct SortNowWork {
    std::function<SortNowPreview(const rServiceRules& folder)> preview;
    std::function<SortNowOutcome(const SortNowPreview& preview,
                                 const std::set<SortNowChoice>& chosen,
                                 const SortNowProgress& progress)>
        carryOut;
};

// The desktop program's cycle, to be called once per timer event. Each cycle follows the options
// as last stored (by the options dialog too), read from the settings file through a store of its
// own; a stored value not understood is said on standard error at the first cycle only. The folders
// are remembered from one cycle to the next, so that an unchanged one is not listed again. Copies
// share one log and one memory of the folders.
class DesktopSortingCycle {
public:
    explicit DesktopSortingCycle(std::string logPath = ActivityLog::DefaultPath());

    // Never throws, so the caller always gets to schedule the next cycle.
    void operator()(ServiceTable& table, bool firstCycle) const noexcept;

    // Sort Now on the real disk with the options as stored and the desktop's trash, writing into
    // the cycles' activity log; to be called on the cycle thread, as the cycles are.
    SortNowWork sortNowWork() const;

private:
    struct Shared {
        explicit Shared(std::string path) : log(std::move(path)) {}
        ActivityLog log;
        SystemEnvironment system = DesktopEnvironment(); // keeps the folders' watches
        CycleMemory memory;
        bool optionsSaid = false;
        // The options as last stored; what is not understood is said the first time only.
        SortingPolicy policy();
    };
    std::shared_ptr<Shared> shared_;
};

} // namespace lp
