#pragma once
// Leaving the files that another program is still writing out of a rule's selection.

#include "cycle_environment.h"
#include "file_selection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lp {

// Asks about each entry of a turn's current list at most once, and only about entries that some
// rule has selected, since the question costs about what an operation on the file costs.
class InUseCheck {
public:
    // folder is the service folder the current list was taken from.
    InUseCheck(const CurrentFiles& current, const std::string& folder,
               CycleEnvironment& environment);

    // Drops the files in use from selection and marks them in leftOut, by current-list position.
    void thin(Selection& selection, std::vector<bool>& leftOut);

private:
    enum class State : std::uint8_t { Unasked, Free, InUse };

    const CurrentFiles& current_;
    const std::string& folder_;
    CycleEnvironment& environment_;
    std::vector<State> state_; // per entry of the current list
};

} // namespace lp
