#include "retry_turn.h"
#include "counted.h"
#include "folder_tree.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace lp {

namespace {

RuleRetries* groupOf(std::vector<RuleRetries>& retries, std::int32_t position) {
    const auto found = std::ranges::find(retries, position, &RuleRetries::position);
    return found == retries.end() ? nullptr : &*found;
}

bool due(const PendingRetry& pending, std::chrono::steady_clock::time_point now) {
    return !pending.givenUp && now >= pending.lastTried + pending.interval;
}

} // namespace

void DropStaleRetries(std::vector<RuleRetries>& retries, const RuleList& rules,
                      const CurrentFiles& current, const std::vector<std::string>& unlisted) {
    if (retries.empty())
        return;
    const auto ruleList = Counted(rules.rules, rules.rulecnt);
    std::erase_if(retries, [&](const RuleRetries& group) {
        const auto position = static_cast<std::size_t>(group.position);
        return group.position < 0 || position >= ruleList.size() || !ruleList[position].enabled ||
               !(ruleList[position] == group.rule);
    });
    std::unordered_set<std::string_view> names;
    names.reserve(current.entries.size());
    for (const auto& entry : current.entries)
        names.insert(entry.name);
    for (RuleRetries& group : retries)
        std::erase_if(group.files, [&](const PendingRetry& pending) {
            return !names.contains(pending.file.name) &&
                   std::ranges::none_of(unlisted, [&](const std::string& folder) {
                       return LiesIn(pending.file.name, folder);
                   });
        });
    std::erase_if(retries, [](const RuleRetries& group) { return group.files.empty(); });
}

bool RetriesWaiting(const std::vector<RuleRetries>& retries) {
    return std::ranges::any_of(retries, [](const RuleRetries& group) {
        return std::ranges::any_of(group.files,
                                   [](const PendingRetry& pending) { return !pending.givenUp; });
    });
}

RuleRetryTurn::RuleRetryTurn(std::vector<RuleRetries>& retries, std::int32_t position,
                             const RuleRec& rule, const CurrentFiles& current, bool withDetails,
                             ServicePlace place, CycleEnvironment& environment, TurnClock& clock)
    : retries_(retries), position_(position), rule_(rule), current_(current),
      withDetails_(withDetails), place_(place), environment_(environment), clock_(clock) {
    RuleRetries* group = groupOf(retries_, position_);
    if (!group)
        return;
    forgotten_.assign(group->files.size(), false);
    byEntry_.assign(current_.entries.size(), -1);
    std::unordered_map<std::string_view, std::int32_t> pendingByName;
    for (std::size_t k = 0; k < group->files.size(); ++k)
        pendingByName.emplace(group->files[k].file.name, static_cast<std::int32_t>(k));
    for (std::uint32_t e = 0; e < current_.entries.size(); ++e) {
        const auto& entry = current_.entries[e];
        const auto found = pendingByName.find(entry.name);
        if (found == pendingByName.end())
            continue;
        PendingRetry& pending = group->files[static_cast<std::size_t>(found->second)];
        if (withDetails_ && !pending.identityKnown) {
            // Failed where sizes and dates were not read: what is there now is taken for it.
            pending.file.size = entry.size;
            pending.file.date = entry.date;
            pending.identityKnown = true;
        } else if (withDetails_ &&
                   (pending.file.size != entry.size || pending.file.date != entry.date)) {
            // Written since it failed: another file, which the rule takes from its start.
            forgotten_[static_cast<std::size_t>(found->second)] = true;
            changed_.push_back(e);
            continue;
        }
        byEntry_[e] = found->second;
    }
}

RuleRetryTurn::~RuleRetryTurn() {
    RuleRetries* group = groupOf(retries_, position_);
    if (!group)
        return;
    std::size_t k = 0;
    std::erase_if(group->files, [&](const PendingRetry&) {
        const bool forgotten = k < forgotten_.size() && forgotten_[k];
        ++k;
        return forgotten;
    });
    if (group->files.empty())
        std::erase_if(retries_, [&](const RuleRetries& g) { return g.position == position_; });
}

PendingRetry* RuleRetryTurn::pendingAt(std::uint32_t entry) const {
    if (entry >= byEntry_.size() || byEntry_[entry] < 0)
        return nullptr;
    RuleRetries* group = groupOf(retries_, position_);
    const auto k = static_cast<std::size_t>(byEntry_[entry]);
    return group && !forgotten_[k] ? &group->files[k] : nullptr;
}

void RuleRetryTurn::say(RetryStage stage, const std::string& name) {
    environment_.actFor(place_.name, rule_.rulename);
    environment_.retryStage(stage, JoinPath(place_.folder, name));
}

void RuleRetryTurn::giveUpExpired() {
    for (std::uint32_t e = 0; e < byEntry_.size(); ++e) {
        PendingRetry* pending = pendingAt(e);
        if (!pending || pending->givenUp || clock_() - pending->firstFailed < kRetryPeriod)
            continue;
        pending->givenUp = true;
        say(RetryStage::GivenUp, pending->file.name);
    }
}

void RuleRetryTurn::addDue(std::optional<Selection>& selection) const {
    Selection added = changed_;
    for (std::uint32_t e = 0; e < byEntry_.size(); ++e)
        if (const PendingRetry* pending = pendingAt(e); pending && due(*pending, clock_()))
            added.push_back(e);
    if (added.empty())
        return;
    if (!selection)
        selection.emplace();
    selection->insert(selection->end(), added.begin(), added.end());
    std::ranges::sort(*selection);
    selection->erase(std::unique(selection->begin(), selection->end()), selection->end());
}

void RuleRetryTurn::holdBack(Selection& selection) const {
    if (byEntry_.empty())
        return;
    std::erase_if(selection, [&](std::uint32_t e) {
        const PendingRetry* pending = pendingAt(e);
        return pending && !due(*pending, clock_());
    });
}

std::vector<std::optional<std::int32_t>>
RuleRetryTurn::resumePoints(const Selection& selection) const {
    std::vector<std::optional<std::int32_t>> points;
    if (byEntry_.empty())
        return points;
    points.reserve(selection.size());
    for (const std::uint32_t e : selection) {
        const PendingRetry* pending = pendingAt(e);
        points.push_back(pending ? std::optional(pending->resumeAt) : std::nullopt);
    }
    return points;
}

void RuleRetryTurn::record(const Selection& selection, const std::vector<ActionOutcome>& outcomes) {
    for (std::size_t i = 0; i < selection.size() && i < outcomes.size(); ++i) {
        const std::uint32_t e = selection[i];
        PendingRetry* pending = pendingAt(e);
        const std::optional<std::int32_t>& retryAt = outcomes[i].retryAt;
        if (!retryAt) {
            // Done, or gone from its place: nothing is left to take up.
            if (pending)
                forgotten_[static_cast<std::size_t>(byEntry_[e])] = true;
            continue;
        }
        const auto now = clock_();
        if (pending) {
            // Each interval twice the one before, counted from the try itself when cycles
            // came later than asked.
            const auto waited = std::max(pending->interval, now - pending->lastTried);
            pending->interval = std::clamp<std::chrono::steady_clock::duration>(
                2 * waited, kShortestRetryInterval, kLongestRetryInterval);
            pending->lastTried = now;
            pending->resumeAt = *retryAt;
            if (pending->interval >= kLongestRetryInterval && !pending->hourly) {
                pending->hourly = true;
                say(RetryStage::Hourly, pending->file.name);
            }
            continue;
        }
        RuleRetries* group = groupOf(retries_, position_);
        if (!group) {
            group = &retries_.emplace_back();
            group->position = position_;
            group->rule = rule_;
        }
        const auto& entry = current_.entries[e];
        PendingRetry added;
        added.file = filerec{entry.name, entry.size, entry.date};
        added.identityKnown = withDetails_;
        added.resumeAt = *retryAt;
        added.firstFailed = added.lastTried = now;
        group->files.push_back(std::move(added));
        forgotten_.push_back(false);
        if (byEntry_.empty())
            byEntry_.assign(current_.entries.size(), -1);
        byEntry_[e] = static_cast<std::int32_t>(group->files.size() - 1);
        say(RetryStage::WillRetry, entry.name);
    }
}

} // namespace lp
