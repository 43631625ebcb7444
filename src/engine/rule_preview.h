#pragma once
// Which of a folder's entries a rule would take now, every one counted as just arrived (as Sort
// Now counts them), and for each that it would not take, what left it out: what the rule wizard
// shows beside the rule while it is written. The selection is the monitor cycle's own.

#include "file_selection.h"
#include "globals/records.h"
#include "platform/folder_listing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lp {

// What left an entry out, besides a condition of the rule (its position in the rule).
enum class LeftOutCause : std::uint8_t {
    None,      // taken
    Excluded,  // the folder's exclusion list names it
    Trigger,   // the trigger takes no file now (the folder is not over the count or size)
    Condition, // see RulePreviewEntry::condition
};

struct RulePreviewEntry {
    std::string name;
    LeftOutCause cause = LeftOutCause::None;
    std::int32_t condition = kKeptIn; // the rule's condition that left it out
};

struct RulePreview {
    bool listed = false;                   // false when the folder could not be listed
    std::vector<RulePreviewEntry> entries; // every entry of the listing, in its order
    std::size_t taken = 0;
};

// The preview of rule over listing (nothing: the folder could not be listed), with the folder's
// exclusions; today is the start of the current local day, for date conditions. facts reads the
// files for the type and origin conditions; without it they take nothing.
RulePreview PreviewRule(const RuleRec& rule, const std::string& excludefiles,
                        std::optional<std::vector<platform::FolderEntry>> listing, double today,
                        FileFacts* facts = nullptr);

// The positions in preview.entries of at most most entries to show: those taken first, then those
// left out, each by name, so that a folder of many entries shows a stable part of itself.
std::vector<std::size_t> EntriesToShow(const RulePreview& preview, std::size_t most);

} // namespace lp
