#pragma once
// Choosing the files a rule acts on: its trigger picks the first selection from the folder's
// current file list, and each condition thins it. A selection is a list of positions in the
// current file list, always in that list's order.

#include "globals/records.h"
#include "platform/folder_listing.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lp {

using Selection = std::vector<std::uint32_t>;

class FileFacts;

// The folder's entries after exclusions, as taken once at the start of a service turn; every rule
// of the turn works from it.
struct CurrentFiles {
    std::vector<platform::FolderEntry> entries;
    std::int64_t totalSize = 0; // bytes of all entries; counted only when sizes were read
    // What the type and origin conditions read the files through; without it they keep nothing.
    FileFacts* facts = nullptr;
    bool ofTree = false; // the files of a folder watched with its sub-folders
};

// The names of a service's known-file list, looked up by hashing. Built on first use, since only
// a NewFile rule that takes part needs it.
class KnownNames {
public:
    KnownNames(const rServiceRules& service, const CurrentFiles& current);
    // Whether the entry at position index of the current list is in the known-file list.
    bool contains(std::uint32_t index);

private:
    const rServiceRules& service_;
    const CurrentFiles& current_;
    bool built_ = false;
    std::vector<std::uint32_t> pairing_; // per current entry: the known entry of its name
};

// Whether a service's rules read sizes or dates, so its folder must be listed with details.
bool ServiceNeedsDetails(const rServiceRules& service);

struct TriggerState {
    bool firstCycle = false;
    bool knownReady = false;
};

// The first selection of an enabled rule, or nothing when the rule does not take part.
std::optional<Selection> StartSelection(const RuleRec& rule, const CurrentFiles& current,
                                        const TriggerState& state, KnownNames& known);

// Thins selection by one condition; today is the start of the current local day. A kind this
// program does not know keeps nothing.
void ApplyCondition(const ruleacondrec& condition, const CurrentFiles& current, double today,
                    Selection& selection);

// Per position of the current list, the condition (its position in the rule) that left the
// entry out of a rule's selection, or kKeptIn; kNoConditionTook when the rule needs any one of
// its conditions and none took the entry, kRulePassedOver when the rule keeps nothing at all.
using LeftOutBy = std::vector<std::int32_t>;
inline constexpr std::int32_t kKeptIn = -1;
inline constexpr std::int32_t kNoConditionTook = -2;
inline constexpr std::int32_t kRulePassedOver = -3;

// Whether a condition of the rule compares dates with today, which then must be asked for.
bool RuleReadsToday(const RuleRec& rule);

// Thins a rule's first selection by its conditions, all together or any one of them. Every kind
// of condition is told apart in ApplyCondition alone. The conditions that read a file (its type,
// its origin) come last, so that only the files the others leave are read. A rule WhyPassedOver
// names keeps nothing. leftOutBy, when given (sized to the current list, kKeptIn throughout),
// receives for each entry the selection lost what took it out; only a caller that asks pays for it.
void ApplyConditions(const RuleRec& rule, const CurrentFiles& current, double today,
                     Selection& selection, LeftOutBy* leftOutBy = nullptr);

// Why the rule must be passed over, in words that follow "The rule ... is passed over: ":
// a condition kind or a placeholder this program does not know, which must never widen it.
std::optional<std::string> WhyPassedOver(const RuleRec& rule);

// The folder's exclusion patterns ("*.tmp;~*"), empty pieces dropped, and whether a name
// matches one of them: an excluded entry is never part of a turn.
std::vector<std::string_view> ExclusionPatterns(std::string_view excludefiles);
bool Excluded(std::string_view name, const std::vector<std::string_view>& patterns);

// The pieces of a ";"-separated text, used as they stand.
std::vector<std::string_view> SplitPieces(std::string_view text);

// The text after the last "." of a name; empty when the name holds no ".".
std::string_view FileExtension(std::string_view name);

} // namespace lp
