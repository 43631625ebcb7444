#pragma once
// Taking a file up again where an operation of a rule failed on it, while it stays where it was:
// the first retry at the next cycle, then at doubling intervals up to one an hour, and none after
// a day, when the file is given up and left alone until it changes. The retries of a service live
// beside its known files, in memory only.

#include "cycle_environment.h"
#include "file_selection.h"
#include "globals/records.h"
#include "rule_actions.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

inline constexpr std::chrono::seconds kShortestRetryInterval{1};
inline constexpr std::chrono::hours kLongestRetryInterval{1};
inline constexpr std::chrono::hours kRetryPeriod{24};

// The clock of one service turn, read once and only when a retry needs it.
class TurnClock {
public:
    explicit TurnClock(CycleEnvironment& environment) : environment_(environment) {}
    std::chrono::steady_clock::time_point operator()() {
        if (!now_)
            now_ = environment_.now();
        return *now_;
    }

private:
    CycleEnvironment& environment_;
    std::optional<std::chrono::steady_clock::time_point> now_;
};

// Drops what a turn's file list shows is over: the retries of a rule that was changed, moved,
// removed or switched off, and those of a file that is no longer in the folder. A file of a
// sub-folder that could not be listed (unlisted, by its path below the folder) waits on.
void DropStaleRetries(std::vector<RuleRetries>& retries, const RuleList& rules,
                      const CurrentFiles& current, const std::vector<std::string>& unlisted);

// Whether some file waits for a retry that was not given up: a turn must then run even over an
// unchanged folder.
bool RetriesWaiting(const std::vector<RuleRetries>& retries);

// Where the service's operations are said to be done: its name for the log, its folder.
struct ServicePlace {
    const std::string& name;
    const std::string& folder;
};

// One rule's retries during one turn; the file list and the retries must outlive it.
class RuleRetryTurn {
public:
    // withDetails says whether the file list holds sizes and dates, which tell a file that
    // changed since it failed.
    RuleRetryTurn(std::vector<RuleRetries>& retries, std::int32_t position, const RuleRec& rule,
                  const CurrentFiles& current, bool withDetails, ServicePlace place,
                  CycleEnvironment& environment, TurnClock& clock);
    ~RuleRetryTurn();
    RuleRetryTurn(const RuleRetryTurn&) = delete;
    RuleRetryTurn& operator=(const RuleRetryTurn&) = delete;

    // Gives up the files that have been retried for a day.
    void giveUpExpired();
    // For a "new file" rule, whose known files no longer name them: adds the files whose retry
    // is due, and those that changed since they failed (which start over), to the new ones.
    void addDue(std::optional<Selection>& selection) const;
    // Takes out of the selection the files that wait for a later retry or were given up.
    void holdBack(Selection& selection) const;
    // Per selected file, the action a retry takes it up at; nothing for a first try.
    std::vector<std::optional<std::int32_t>> resumePoints(const Selection& selection) const;
    // Notes what the actions did: a file the rule is done with is forgotten, one that failed in
    // its place waits for its next retry.
    void record(const Selection& selection, const std::vector<ActionOutcome>& outcomes);

private:
    PendingRetry* pendingAt(std::uint32_t entry) const;
    void say(RetryStage stage, const std::string& name);

    std::vector<RuleRetries>& retries_;
    std::int32_t position_;
    const RuleRec& rule_;
    const CurrentFiles& current_;
    bool withDetails_;
    ServicePlace place_;
    CycleEnvironment& environment_;
    TurnClock& clock_;
    std::vector<std::int32_t> byEntry_;  // per current entry: its pending retry, or -1
    std::vector<std::uint32_t> changed_; // entries that changed since they failed, in list order
    std::vector<bool> forgotten_;        // per pending retry: dropped at the end of the turn
};

} // namespace lp
