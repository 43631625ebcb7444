#include "monitor_cycle.h"
#include "counted.h"
#include "file_facts.h"
#include "file_selection.h"
#include "folder_tree.h"
#include "globals/log_sink.h"
#include "globals/quoted_value.h"
#include "in_use_check.h"
#include "retry_turn.h"
#include "rule_actions.h"
#include "spare_room.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace lp {

namespace {

void thin(Selection& selection, const std::function<bool(std::uint32_t)>& keep) {
    std::erase_if(selection, [&](std::uint32_t index) { return !keep(index); });
}

// The turn's current file list, the listing with its exclusions dropped, order kept. Without
// exclusions the listing itself is borrowed and given back at the end of the turn, also when the
// turn ends early. The sizes are added up only when the listing read them: a total-size rule,
// the one reader of the sum, always has its folder listed with details, and a pass over a large
// listing for a sum of zeros is no small part of a names-only turn.
class TurnFiles {
public:
    TurnFiles(std::vector<platform::FolderEntry>& listing, const std::string& excludefiles,
              bool withDetails)
        : listing_(listing) {
        const std::vector<std::string_view> patterns = ExclusionPatterns(excludefiles);
        if (patterns.empty()) {
            borrowed_ = true;
            current_.entries.swap(listing_);
        } else {
            current_.entries.reserve(listing_.size());
            for (const auto& entry : listing_)
                if (!Excluded(entry.name, patterns))
                    current_.entries.push_back(entry);
        }
        if (withDetails)
            for (const auto& entry : current_.entries)
                current_.totalSize += entry.size;
    }
    ~TurnFiles() {
        if (borrowed_)
            current_.entries.swap(listing_);
    }
    TurnFiles(const TurnFiles&) = delete;
    TurnFiles& operator=(const TurnFiles&) = delete;

    const CurrentFiles& current() const { return current_; }
    void readFactsThrough(FileFacts& facts) { current_.facts = &facts; }
    void ofTree(bool tree) { current_.ofTree = tree; }

private:
    std::vector<platform::FolderEntry>& listing_;
    bool borrowed_ = false;
    CurrentFiles current_;
};

struct RulesOutcome {
    bool selectedAny = false;    // some rule's conditions left a file to act on
    std::optional<double> today; // the day a date condition asked for
};

// Runs the service's rules; leftOut receives, per entry, whether it stays out of the known-file
// list: a file in use, and one a move or delete took away. A file on which an operation failed
// in its place is known all the same, so that the rules that were done with it leave it alone;
// the rule that failed takes it up again through its retries.
RulesOutcome evaluateRules(rServiceRules& service, const CurrentFiles& current, bool firstCycle,
                           bool withDetails, const SortingPolicy& policy,
                           CycleEnvironment& environment, std::vector<bool>& leftOut,
                           std::vector<filerec>& renamedHere) {
    const TriggerState state{firstCycle, service.knownready};
    KnownNames known(service, current);
    InUseCheck inUse(current, service.sharedir, environment);
    TurnClock clock(environment);
    DropStaleRetries(service.retries, service.rulelist, current, service.unlistedSubfolders);
    const ServicePlace place{ServiceName(service), service.sharedir};
    RulesOutcome outcome;
    std::optional<double>& today = outcome.today; // asked for once, when a date condition needs it
    std::vector<bool> claimed(current.entries.size(), false);
    bool anyClaimed = false;
    std::int32_t position = -1;
    for (const RuleRec& rule : Counted(service.rulelist.rules, service.rulelist.rulecnt)) {
        ++position;
        if (!rule.enabled)
            continue;
        RuleRetryTurn retries(service.retries, position, rule, current, withDetails, place,
                              environment, clock);
        retries.giveUpExpired();
        std::optional<Selection> selection = StartSelection(rule, current, state, known);
        if (rule.mcond == NewFile && !firstCycle && service.knownready)
            retries.addDue(selection);
        if (!selection)
            continue;
        if (!today && RuleReadsToday(rule))
            today = environment.today();
        // Files an earlier rule took and asked to keep to itself are left alone, and not read;
        // until a rule has taken some, there is nothing to look up for each file.
        if (anyClaimed)
            thin(*selection, [&](std::uint32_t i) { return !claimed[i]; });
        ApplyConditions(rule, current, today.value_or(0.0), *selection);
        retries.holdBack(*selection);
        outcome.selectedAny = outcome.selectedAny || !selection->empty();
        inUse.thin(*selection, leftOut);
        if (selection->empty())
            continue;
        if (rule.stopAfter) {
            for (const std::uint32_t index : *selection)
                claimed[index] = true;
            anyClaimed = true;
        }
        environment.actFor(ServiceName(service), rule.rulename);
        const std::vector<ActionOutcome> outcomes =
            RunRuleActions(rule, *selection, current, service.sharedir, policy, environment,
                           retries.resumePoints(*selection), service.renamedInPlace);
        retries.record(*selection, outcomes);
        for (std::size_t i = 0; i < outcomes.size(); ++i) {
            if (outcomes[i].takenAway)
                leftOut[(*selection)[i]] = true;
            // Renamed in place: the same file, known under its new name, so that the next turn
            // does not take it for a new one.
            std::vector<std::string> placedHere = outcomes[i].copiesKnownAs;
            if (outcomes[i].renamedTo)
                placedHere.push_back(*outcomes[i].renamedTo);
            for (std::string& path : placedHere) {
                const auto& entry = current.entries[(*selection)[i]];
                renamedHere.push_back({std::move(path), entry.size, entry.date});
                // A rule that takes up old files as well as new ones would find it again, and so
                // would Sort Now, which takes every file.
                service.renamedInPlace.push_back(renamedHere.back());
            }
        }
    }
    return outcome;
}

// Keeps of the files renamed in place those still known as they were, sorted by name for the
// rename's look-up. A listing without details (a turn whose rules read none, the start's) tells
// only that the name is still there: the next listing with details tells the rest.
void keepRenamedThatStay(std::vector<filerec>& renamed, const std::vector<filerec>& known,
                         bool withDetails) {
    if (renamed.empty())
        return;
    std::unordered_map<std::string_view, const filerec*> byName;
    byName.reserve(known.size());
    for (const filerec& record : known)
        byName.emplace(record.name, &record);
    std::erase_if(renamed, [&](const filerec& record) {
        const auto found = byName.find(record.name);
        return found == byName.end() || (withDetails && *found->second != record);
    });
    std::ranges::sort(renamed, {}, &filerec::name);
}

// Rewrites the known-file list in its own storage, so that a folder of many entries costs no new
// list each turn, and leaves the turn's entries as they were.
void recordKnownFiles(rServiceRules& service, const CurrentFiles& current, bool withDetails,
                      const std::vector<bool>& leftOut, const std::vector<filerec>& renamedHere) {
    std::vector<filerec>& known = service.knownfiles;
    // A sub-folder that could not be listed keeps its known files, so that they do not all count
    // as new when it can be listed again.
    std::vector<filerec> unlistedKnown;
    for (const std::string& sub : service.unlistedSubfolders)
        for (const filerec& record : known)
            if (LiesIn(record.name, sub))
                unlistedKnown.push_back(record);
    std::size_t count = 0;
    for (std::size_t i = 0; i < current.entries.size(); ++i) {
        if (leftOut[i])
            continue;
        const auto& entry = current.entries[i];
        if (count == known.size())
            known.emplace_back();
        filerec& record = known[count++];
        // Most turns find the names of the last one in the same places: comparing only reads
        // the record, which a copy would write over with the same bytes.
        if (record.name != entry.name)
            record.name.assign(entry.name);
        record.size = entry.size;
        record.date = entry.date;
    }
    known.resize(count);
    known.insert(known.end(), unlistedKnown.begin(), unlistedKnown.end());
    known.insert(known.end(), renamedHere.begin(), renamedHere.end());
    count = known.size();
    keepRenamedThatStay(service.renamedInPlace, known, withDetails);
    GiveBackSpareRoom(known);
    service.knownready = true;
    service.knowncnt = static_cast<std::int32_t>(count);
}

// Adds the entries for which wasThereBefore holds to the known files: files that were in the
// folder before, which the turn that took the known files could not see.
template <typename Entries, typename Test>
void knowEntries(rServiceRules& service, const Entries& entries, Test wasThereBefore) {
    std::vector<filerec>& known = service.knownfiles;
    known.resize(Counted(known, service.knowncnt).size());
    for (const auto& entry : entries)
        if (wasThereBefore(entry.name))
            known.push_back({entry.name, entry.size, entry.date});
    service.knowncnt = static_cast<std::int32_t>(known.size());
}

// The files of a sub-folder that could not be listed when the known files were first taken were
// there before: once it can be listed, they count as known, never as new arrivals.
void knowFilesListedAtLast(rServiceRules& service, const CurrentFiles& current) {
    std::vector<std::string> listedAtLast;
    std::erase_if(service.unlistedSinceStart, [&](const std::string& sub) {
        const bool listed =
            std::ranges::find(service.unlistedSubfolders, sub) == service.unlistedSubfolders.end();
        if (listed)
            listedAtLast.push_back(sub);
        return listed;
    });
    if (listedAtLast.empty())
        return;
    knowEntries(service, current.entries, [&](std::string_view name) {
        return std::ranges::any_of(listedAtLast,
                                   [&](const std::string& sub) { return LiesIn(name, sub); });
    });
}

// Whether the folder's own settings (levels, exclusions) let files into a turn that they kept
// out of the one that took the known files: more levels of sub-folders watched, an exclusion
// removed or narrowed.
bool settingsLetMoreIn(const rServiceRules& service, std::int32_t levels,
                       const std::string& excluded) {
    return service.knownready &&
           ((service.knownLevels && levels > *service.knownLevels) ||
            (service.knownExclusions && *service.knownExclusions != excluded));
}

// The files the settings of the turn that took the known files kept out were there before:
// they count as known, never as new.
template <typename Entries>
void knowFilesLeftOutBefore(rServiceRules& service, const Entries& entries) {
    const std::string before = service.knownExclusions.value_or(std::string());
    const std::vector<std::string_view> excluded = ExclusionPatterns(before);
    const std::int32_t levels = service.knownLevels.value_or(kMostSubfolderLevels);
    knowEntries(service, entries, [&](std::string_view name) {
        return std::ranges::count(name, '/') > levels || Excluded(name, excluded);
    });
}

// Runs a turn over the listing; true when it did nothing and recorded every entry as known, so
// that the same turn over the same entries would do nothing again.
bool runTurn(rServiceRules& service, bool firstCycle, bool withDetails, const SortingPolicy& policy,
             CycleEnvironment& environment, std::vector<platform::FolderEntry>& listing,
             ContentTypeMemory& types, std::optional<double>& today) {
    TurnFiles files(listing, service.excludefiles, withDetails);
    FolderFileFacts facts(service.sharedir, environment, types);
    files.readFactsThrough(facts);
    files.ofTree(service.subfolders > 0);
    const CurrentFiles& current = files.current();
    std::vector<bool> leftOut(current.entries.size(), false);
    std::vector<filerec> renamedHere;
    const bool takingKnownFirst = !service.knownready;
    if (!takingKnownFirst && !service.unlistedSinceStart.empty())
        knowFilesListedAtLast(service, current);
    const std::int32_t levels = std::clamp(service.subfolders, 0, kMostSubfolderLevels);
    if (settingsLetMoreIn(service, levels, service.excludefiles))
        knowFilesLeftOutBefore(service, current.entries);
    RulesOutcome outcome;
    if (!current.entries.empty() && service.rulelist.rulecnt > 0)
        outcome = evaluateRules(service, current, firstCycle, withDetails, policy, environment,
                                leftOut, renamedHere);
    else
        DropStaleRetries(service.retries, service.rulelist, current, service.unlistedSubfolders);
    recordKnownFiles(service, current, withDetails, leftOut, renamedHere);
    service.knownLevels = levels;
    service.knownExclusions = service.excludefiles;
    if (takingKnownFirst)
        service.unlistedSinceStart = service.unlistedSubfolders;
    types.endTurn(current.entries.size());
    today = outcome.today;
    return !outcome.selectedAny && std::none_of(leftOut.begin(), leftOut.end(), std::identity()) &&
           !RetriesWaiting(service.retries);
}

// Says each sub-folder that could not be listed once, when it first cannot be, and remembers
// them all for keeping their known files.
void noteUnlisted(rServiceRules& service, std::vector<std::string> unlisted) {
    for (const std::string& sub : unlisted)
        if (std::ranges::find(service.unlistedSubfolders, sub) == service.unlistedSubfolders.end())
            LogWarning("The sub-folder " + QuoteValue(sub) + " of " + service.sharedir +
                       " cannot be listed; its files are left as they are until it can be.");
    service.unlistedSubfolders = std::move(unlisted);
}

// The sub-folders walked into before that were not now, and those that could not be listed or
// were out of reach before: what stands at their places may be a link the walk did not follow.
// Notes walked (without the top) as the service's walked sub-folders from now on.
std::vector<std::string> formerFolders(rServiceRules& service, std::vector<std::string> walked) {
    std::erase(walked, std::string());
    std::ranges::sort(walked);
    std::vector<std::string> former;
    std::ranges::set_difference(service.walkedSubfolders, walked, std::back_inserter(former));
    std::ranges::copy(service.unlistedSubfolders, std::back_inserter(former));
    std::ranges::sort(former);
    service.walkedSubfolders = std::move(walked);
    return former;
}

// A turn over the folder with its sub-folders; see RunServiceTurn.
void runTreeTurn(rServiceRules& service, bool firstCycle, const SortingPolicy& policy,
                 CycleEnvironment& environment, ServiceMemory* memory) {
    std::optional<double> today;
    std::vector<std::string> unlisted;
    const TreeReach reach = ReachOf(service);
    const auto known = Counted(service.knownfiles, service.knowncnt);
    if (!memory) {
        std::vector<platform::FolderEntry> listing;
        std::vector<std::string> walked;
        if (ListTree(reach, environment, listing, unlisted, &walked)) {
            std::ranges::move(SubFoldersOutOfReach(reach, known, listing, unlisted,
                                                   formerFolders(service, std::move(walked)),
                                                   environment),
                              std::back_inserter(unlisted));
            noteUnlisted(service, std::move(unlisted));
            ContentTypeMemory types;
            runTurn(service, firstCycle, true, policy, environment, listing, types, today);
        }
        return;
    }
    memory->folder = RememberedFolder{};
    // Sizes and dates matter to the rules, or tell whether a file waiting for a retry is
    // still the one that failed.
    const bool detailsMatter = ServiceNeedsDetails(service) || !service.retries.empty();
    if (!memory->tree.refresh(reach, environment, unlisted, detailsMatter)) {
        memory->quiet.forget();
        memory->outOfReach.clear();
        return;
    }
    // What stands at a sub-folder's place changes only with the folder it lies in.
    if (memory->tree.changed())
        memory->outOfReach =
            SubFoldersOutOfReach(reach, known, memory->tree.entries(), unlisted,
                                 formerFolders(service, memory->tree.walked()), environment);
    unlisted.insert(unlisted.end(), memory->outOfReach.begin(), memory->outOfReach.end());
    noteUnlisted(service, std::move(unlisted));
    if (memory->tree.someUnwatched() && !memory->saidUnwatched) {
        memory->saidUnwatched = true;
        LogWarning("Some sub-folders of " + service.sharedir +
                   " cannot be watched for changes (the system's limit of watches, or a file "
                   "system without them): they are listed in full every cycle.");
    }
    if (!memory->tree.changed() && memory->quiet.repeats(service, environment))
        return;
    memory->quiet.forget();
    if (runTurn(service, firstCycle, true, policy, environment, memory->tree.entries(),
                memory->types, today))
        memory->quiet.remember(service, today);
}

} // namespace

void KnowFilesLetInNow(rServiceRules& service, const rServiceRules& listed) {
    const std::int32_t levels = std::clamp(listed.subfolders, 0, kMostSubfolderLevels);
    if (!listed.knownready || !settingsLetMoreIn(service, levels, listed.excludefiles))
        return;
    knowFilesLeftOutBefore(service, Counted(listed.knownfiles, listed.knowncnt));
    service.knownLevels = levels;
    service.knownExclusions = listed.excludefiles;
}

const std::string& ServiceName(const rServiceRules& service) {
    return service.othername.empty() ? service.sharedir : service.othername;
}

void RunServiceTurn(rServiceRules& service, bool firstCycle, const SortingPolicy& policy,
                    CycleEnvironment& environment, ServiceMemory* memory) {
    if (!service.enabled || service.sharedir.empty())
        return;
    if (service.subfolders > 0) {
        runTreeTurn(service, firstCycle, policy, environment, memory);
        return;
    }
    if (memory && !memory->tree.empty())
        memory->tree = RememberedTree{}; // sub-folders no longer watched give their watches back
    service.unlistedSubfolders.clear();
    // Sizes and dates tell whether a file waiting for a retry is still the one that failed.
    const bool withDetails = ServiceNeedsDetails(service) || !service.retries.empty();
    std::optional<double> today;
    if (!memory) {
        auto listing = environment.listFolder(service.sharedir, withDetails);
        // A folder that cannot be listed (an unplugged drive, a lost share) keeps its known
        // files, so its files do not all count as new when it comes back.
        ContentTypeMemory types;
        if (listing)
            runTurn(service, firstCycle, withDetails, policy, environment, *listing, types, today);
        return;
    }
    if (!memory->folder.refresh(service.sharedir, withDetails, environment)) {
        memory->quiet.forget();
        return;
    }
    if (!memory->folder.changed() && memory->quiet.repeats(service, environment))
        return;
    memory->quiet.forget();
    if (runTurn(service, firstCycle, withDetails, policy, environment, memory->folder.entries(),
                memory->types, today))
        memory->quiet.remember(service, today);
}

void runMonitorCycle(ServiceTable& table, bool firstCycle, const SortingPolicy& policy,
                     CycleEnvironment& environment, CycleMemory* memory) {
    const std::size_t serviceCount = table.services.size();
    if (memory)
        memory->fit(serviceCount);
    for (std::size_t s = 0; s < serviceCount && s < table.services.size(); ++s) {
        try {
            RunServiceTurn(table.services[s], firstCycle, policy, environment,
                           memory ? &memory->at(s) : nullptr);
        } catch (const std::exception& error) {
            // Out of memory, most likely: this service keeps its known files and tries again
            // next cycle; the others still get their turn.
            LogCaught("a folder's turn", error.what());
        } catch (...) {
            LogCaught("a folder's turn", nullptr);
        }
    }
}

} // namespace lp
