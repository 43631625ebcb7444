#pragma once
// Sort Now: what a folder's enabled rules would do to every file now in it, as if each had just
// arrived, worked out first without changing anything, then carried out for the operations the
// user keeps, through the same rule actions as a monitor cycle.

#include "activity_log.h"
#include "cycle_environment.h"
#include "globals/records.h"
#include "platform/file_identity.h"
#include "system_environment.h"
#include "undo.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lp {

// One operation that a rule would make, as the preview shows it.
struct SortNowLine {
    std::string file;      // the name, in the folder, of the file acted on; empty for a launch that
                           // its rule makes once, for all its files
    std::int32_t rule = 0; // the rule's position in the folder's rule list
    std::string ruleName;
    std::string action;              // "move", "copy", "delete", "trash" or "launch"
    std::vector<std::string> values; // as the activity log writes them
    bool failing = false;            // foreseen to fail
    std::string reason;              // why, when it is foreseen to fail
};

// A file and a rule. The operations one rule makes on one file are kept or left out together:
// a rule's plan for a file ("copy it, then delete it") must never be carried out in part.
using SortNowChoice = std::pair<std::string, std::int32_t>;

struct SortNowPreview {
    rServiceRules folder; // the folder's record as it was previewed: its rules are carried out
    std::vector<SortNowLine> lines;
    // Each file the lines act on, as it was when the preview was made: an operation on a file
    // that has changed or gone since is refused. Nothing: it could not be identified (a folder).
    std::map<std::string, std::optional<platform::FileIdentity>> files;
    bool listed = true; // false when the folder could not be listed
    // The names, in the folder, of the files that the monitor cycles took up as new after the
    // preview was made: their operations are refused, as those of a changed file are.
    std::set<std::string> sortedSince;
};

// Works out, changing nothing and starting nothing, what the folder's enabled rules would do to
// every file now in it as if each had just arrived: a monitor turn of that folder alone, even
// when it is off, foreseen as --simulate foresees it (with foreseeTrash), in which a file in use
// is foreseen to fail for that reason rather than left out.
SortNowPreview PreviewSortNow(const rServiceRules& folder, const SortingPolicy& policy,
                              CycleEnvironment& environment, const TrashMover& foreseeTrash);

// The files the preview saw, whole paths with their identities then: after a Sort, those still
// there unchanged count as known (RecordFilesKnown), sorted or left alone as the user chose.
std::vector<SeenFile> PreviewedFiles(const SortNowPreview& preview);

// The choices that keep every line the preview does not foresee to fail.
std::set<SortNowChoice> UnfailingChoices(const SortNowPreview& preview);

struct SortNowProgress {
    std::function<bool()> cancelled;                                // asked before each operation
    std::function<void(std::size_t done, std::size_t total)> moved; // after each operation
};

struct SortNowOutcome {
    std::size_t done = 0;   // operations carried out
    std::size_t failed = 0; // operations that failed or were refused, each in the log
    bool cancelled = false; // some chosen operations were never begun
    // The files the run put in the folder itself (renamed there, or moved or copied into its
    // sub-folders), as they were then: known to the cycles from now on (RecordFilesPlaced).
    std::vector<SeenFile> placed;
};

// Carries out the preview's operations for the chosen files and rules, rule after rule in the
// folder's order, through environment, each operation written into log. Just before its first
// operation each file is looked at again: one that is gone, that changed (size, last-write time
// or identity) since the preview, that the cycles sorted since (preview.sortedSince), or that
// another program is writing is refused with that reason and left alone by every rule. A
// cancellation lets the rule under way finish the files it has begun (so no rule's plan for a file
// is left half done) and begins nothing more.
SortNowOutcome CarryOutSortNow(const SortNowPreview& preview, const std::set<SortNowChoice>& chosen,
                               const SortingPolicy& policy, CycleEnvironment& environment,
                               ActivityLog& log, const SortNowProgress& progress = {});

} // namespace lp
