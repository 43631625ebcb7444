#include "monitor_cycle.h"
#include "counted.h"
#include "file_selection.h"
#include "globals/pattern_match.h"
#include "in_use_check.h"
#include "rule_actions.h"

#include <algorithm>

namespace lp {

namespace {

// Takes the listing as the turn's current file list: exclusions dropped, order kept.
CurrentFiles currentFiles(std::vector<platform::FolderEntry> entries,
                          const std::string& excludefiles) {
    std::vector<std::string_view> patterns = SplitPieces(excludefiles);
    std::erase_if(patterns, [](std::string_view piece) { return piece.empty(); });
    if (!patterns.empty())
        std::erase_if(entries, [&](const platform::FolderEntry& entry) {
            return std::any_of(patterns.begin(), patterns.end(), [&](std::string_view pattern) {
                return MatchPattern(entry.name, pattern);
            });
        });
    CurrentFiles current;
    current.entries = std::move(entries);
    for (const auto& entry : current.entries)
        current.totalSize += entry.size;
    return current;
}

// Runs the service's rules; leftOut receives, per entry, whether it stays out of the known-file
// list: a file in use, one a move or delete took away, and one on which an operation of a
// NewFile rule failed, so that the next cycle sees it as new and tries again.
void evaluateRules(const rServiceRules& service, const CurrentFiles& current, bool firstCycle,
                   const SortingPolicy& policy, CycleEnvironment& environment,
                   std::vector<bool>& leftOut) {
    const TriggerState state{firstCycle, service.knownready};
    KnownNames known(service, current);
    InUseCheck inUse(current, service.sharedir, environment);
    std::optional<double> today; // asked for once, when a date condition needs it
    for (const RuleRec& rule : Counted(service.rulelist.rules, service.rulelist.rulecnt)) {
        if (!rule.enabled)
            continue;
        std::optional<Selection> selection = StartSelection(rule, current, state, known);
        if (!selection)
            continue;
        for (const ruleacondrec& condition : Counted(rule.conds, rule.condcnt)) {
            if (condition.rcond == FileDate && !today)
                today = environment.today();
            ApplyCondition(condition, current, today.value_or(0.0), *selection);
        }
        inUse.thin(*selection, leftOut);
        if (selection->empty())
            continue;
        environment.actFor(ServiceName(service), rule.rulename);
        const std::vector<ActionOutcome> outcomes =
            RunRuleActions(rule, *selection, current, service.sharedir, policy, environment);
        for (std::size_t i = 0; i < outcomes.size(); ++i)
            if (outcomes[i].takenAway || (outcomes[i].failed && rule.mcond == NewFile))
                leftOut[(*selection)[i]] = true;
    }
}

void recordKnownFiles(rServiceRules& service, CurrentFiles& current,
                      const std::vector<bool>& leftOut) {
    std::vector<filerec> known;
    known.reserve(current.entries.size());
    for (std::size_t i = 0; i < current.entries.size(); ++i) {
        if (leftOut[i])
            continue;
        auto& entry = current.entries[i];
        known.push_back(filerec{std::move(entry.name), entry.size, entry.date});
    }
    service.knownready = true;
    service.knowncnt = static_cast<std::int32_t>(known.size());
    service.knownfiles = std::move(known);
}

} // namespace

const std::string& ServiceName(const rServiceRules& service) {
    return service.othername.empty() ? service.sharedir : service.othername;
}

void RunServiceTurn(rServiceRules& service, bool firstCycle, const SortingPolicy& policy,
                    CycleEnvironment& environment) {
    if (!service.enabled || service.sharedir.empty())
        return;
    auto listing = environment.listFolder(service.sharedir, ServiceNeedsDetails(service));
    // A folder that cannot be listed (an unplugged drive, a lost share) keeps its known files, so
    // its files do not all count as new when it comes back.
    if (!listing)
        return;
    CurrentFiles current = currentFiles(std::move(*listing), service.excludefiles);
    std::vector<bool> leftOut(current.entries.size(), false);
    if (!current.entries.empty() && service.rulelist.rulecnt > 0)
        evaluateRules(service, current, firstCycle, policy, environment, leftOut);
    recordKnownFiles(service, current, leftOut);
}

void runMonitorCycle(ServiceTable& table, bool firstCycle, const SortingPolicy& policy,
                     CycleEnvironment& environment) {
    const std::size_t serviceCount = table.services.size();
    for (std::size_t s = 0; s < serviceCount && s < table.services.size(); ++s) {
        try {
            RunServiceTurn(table.services[s], firstCycle, policy, environment);
        } catch (...) {
            // Out of memory, most likely: this service keeps its known files and tries again
            // next cycle; the others still get their turn.
        }
    }
}

} // namespace lp
