#pragma once
// Passing over a service turn that is bound to do nothing: the last turn did nothing, over the
// same entries, with the same service, the same known files and the same day.

#include "cycle_environment.h"
#include "globals/records.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace lp {

class QuietTurn {
public:
    // Whether a turn over the same entries as the remembered quiet one would do nothing again.
    // The known-file list is the monitor cycle's own (nothing else writes it), so the list the
    // remembered turn recorded is recognised by its storage and count.
    bool repeats(const rServiceRules& service, CycleEnvironment& environment) const;
    // Remembers a turn that selected nothing and recorded every entry as known; today is the day
    // it asked for, if a rule needed it.
    void remember(const rServiceRules& service, std::optional<double> today);
    void forget() { valid_ = false; }

private:
    bool valid_ = false;
    std::string sharedir_;
    std::string excludefiles_;
    RuleList rules_;
    const filerec* knownData_ = nullptr;
    std::size_t knownSize_ = 0;
    std::int32_t knowncnt_ = 0;
    std::optional<double> today_;
};

} // namespace lp
