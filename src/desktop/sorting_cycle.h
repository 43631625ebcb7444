#pragma once
// The monitor cycle as both programs run it on the real disk: with the options the settings file
// holds, deletes that may go to the desktop's trash, and every operation in the activity log.

#include "engine/activity_log.h"
#include "engine/cycle_memory.h"
#include "engine/system_environment.h"
#include "globals/records.h"
#include "stored_options.h"

#include <memory>

namespace lp {

// The real disk, clock and processes, with the desktop's trash.
SystemEnvironment DesktopEnvironment();

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

private:
    struct Shared {
        explicit Shared(std::string path) : log(std::move(path)) {}
        ActivityLog log;
        SystemEnvironment system = DesktopEnvironment(); // keeps the folders' watches
        CycleMemory memory;
        bool optionsSaid = false;
    };
    std::shared_ptr<Shared> shared_;
};

} // namespace lp
