#include "in_use_check.h"
#include "rule_actions.h"

namespace lp {

InUseCheck::InUseCheck(const CurrentFiles& current, const std::string& folder,
                       CycleEnvironment& environment)
    : current_(current), folder_(folder), environment_(environment),
      state_(current.entries.size(), State::Unasked) {}

void InUseCheck::thin(Selection& selection, std::vector<bool>& leftOut) {
    std::erase_if(selection, [&](std::uint32_t index) {
        State& state = state_[index];
        if (state == State::Unasked) {
            const platform::FolderEntry& entry = current_.entries[index];
            state = environment_.fileInUse(JoinPath(folder_, entry.name), entry.plainFile)
                        ? State::InUse
                        : State::Free;
        }
        if (state == State::Free)
            return false;
        leftOut[index] = true;
        return true;
    });
}

} // namespace lp
