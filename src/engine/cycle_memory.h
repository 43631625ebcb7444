#pragma once
// What monitor cycles remember from one to the next so that unchanged folders cost next to
// nothing: per service, its folder's entries and whether its last turn did nothing.

#include "quiet_turn.h"
#include "remembered_folder.h"

#include <cstddef>
#include <vector>

namespace lp {

struct ServiceMemory {
    RememberedFolder folder;
    QuietTurn quiet;
};

// Kept by table position; what a position remembers is checked against the service found there,
// so services that were added, removed or moved cost a full listing, never a wrong result.
class CycleMemory {
public:
    // Makes room for exactly count services.
    void fit(std::size_t count) { services_.resize(count); }
    ServiceMemory& at(std::size_t position) { return services_.at(position); }

private:
    std::vector<ServiceMemory> services_;
};

} // namespace lp
