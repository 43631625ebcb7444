#include "file_selection.h"
#include "counted.h"
#include "globals/pattern_match.h"
#include "globals/quoted_value.h"
#include "name_pairing.h"
#include "rank_window.h"

#include <algorithm>

namespace lp {

namespace {

constexpr std::int64_t kBytesPerMegabyte = 1'024'000;
constexpr std::int64_t kBytesPerKilobyte = 1024;

// Keeps the positions for which keep() holds, in order, in one pass.
template <typename Keep> void thin(Selection& selection, Keep keep) {
    std::erase_if(selection, [&](std::uint32_t index) { return !keep(index); });
}

Selection everything(const CurrentFiles& current) {
    Selection all(current.entries.size());
    for (std::uint32_t i = 0; i < all.size(); ++i)
        all[i] = i;
    return all;
}

// Strict comparison in the direction stored with a condition; any value but less or greater
// keeps nothing.
bool compares(std::uint8_t comparison, std::int64_t value, std::int64_t limit) {
    if (comparison == cmpLess)
        return value < limit;
    if (comparison == cmpGreater)
        return value > limit;
    return false;
}

bool asciiEqualIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

bool isKnownKind(const ruleacondrec& condition) {
    return !condition.foreign && condition.rcond <= kLastConditionKind;
}

} // namespace

std::optional<std::string> WhyPassedOver(const RuleRec& rule) {
    for (const ruleacondrec& condition : Counted(rule.conds, rule.condcnt))
        if (!isKnownKind(condition))
            return "it holds a kind of condition Larchpost does not know (rcond=" +
                   std::to_string(condition.rcond) + ")";
    for (const ruleactionrec& action : Counted(rule.actions, rule.actioncnt))
        if (action.unknownPlaceholder)
            return "its destination " +
                   QuoteValue(action.raction == rMove ? action.racmove.filepath
                                                      : action.raccopy.filepath) +
                   " holds a placeholder Larchpost does not know";
    return std::nullopt;
}

std::vector<std::string_view> SplitPieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    for (;;) {
        const auto separator = text.find(';');
        pieces.push_back(text.substr(0, separator));
        if (separator == std::string_view::npos)
            return pieces;
        text.remove_prefix(separator + 1);
    }
}

std::string_view FileExtension(std::string_view name) {
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

KnownNames::KnownNames(const rServiceRules& service, const CurrentFiles& current)
    : service_(service), current_(current) {}

bool KnownNames::contains(std::uint32_t index) {
    if (!built_) {
        pairing_ = PairByName(current_.entries, Counted(service_.knownfiles, service_.knowncnt));
        built_ = true;
    }
    return pairing_[index] != kUnpaired;
}

bool ServiceNeedsDetails(const rServiceRules& service) {
    const auto readsDetails = [](const ruleacondrec& condition) {
        return condition.rcond >= FileSize && condition.rcond <= FileDateOld;
    };
    return std::ranges::any_of(
        Counted(service.rulelist.rules, service.rulelist.rulecnt), [&](const RuleRec& rule) {
            return rule.enabled &&
                   (rule.mcond == TotalFileSize ||
                    std::ranges::any_of(Counted(rule.conds, rule.condcnt), readsDetails));
        });
}

std::optional<Selection> StartSelection(const RuleRec& rule, const CurrentFiles& current,
                                        const TriggerState& state, KnownNames& known) {
    const auto count = static_cast<std::int64_t>(current.entries.size());
    switch (rule.mcond) {
    case NewFile: {
        // Any name the known list lacks is new, also when as many entries went as came.
        if (state.firstCycle || !state.knownReady)
            return std::nullopt;
        Selection fresh;
        for (std::uint32_t i = 0; i < current.entries.size(); ++i)
            if (!known.contains(i))
                fresh.push_back(i);
        if (fresh.empty())
            return std::nullopt;
        return fresh;
    }
    case FileCount:
        if (count <= rule.fcnt)
            return std::nullopt;
        return everything(current);
    case TotalFileSize:
        if (current.totalSize / kBytesPerMegabyte <= rule.fsize)
            return std::nullopt;
        return everything(current);
    default: // AnyFile, which the editor never stores, and unknown triggers take no part
        return std::nullopt;
    }
}

void ApplyCondition(const ruleacondrec& condition, const CurrentFiles& current, double today,
                    Selection& selection) {
    const auto& entries = current.entries;
    switch (condition.rcond) {
    case FileExt: {
        auto pieces = SplitPieces(condition.rcondFileExt.ext);
        // An empty piece beside a real one is a stray ";" ("tmp;"), not a wish for the names
        // without an extension: a delete rule on "tmp;" would take README and Makefile too. A
        // list of nothing but empty pieces still takes exactly those names.
        if (std::ranges::any_of(pieces, [](std::string_view piece) { return !piece.empty(); }))
            std::erase_if(pieces, [](std::string_view piece) { return piece.empty(); });
        const bool anyCase = condition.rcondFileExt.anyCase;
        thin(selection, [&](std::uint32_t i) {
            const std::string_view extension = FileExtension(entries[i].name);
            return std::ranges::any_of(pieces, [&](std::string_view piece) {
                return anyCase ? asciiEqualIgnoringCase(piece, extension) : piece == extension;
            });
        });
        return;
    }
    case FileNameMatching:
    case FileNameNotMatching: {
        // Name patterns are matched as the folder's exclusions are, empty pieces matching none.
        const auto patterns = ExclusionPatterns(condition.names);
        const bool wanted = condition.rcond == FileNameMatching;
        thin(selection,
             [&](std::uint32_t i) { return wanted == Excluded(entries[i].name, patterns); });
        return;
    }
    case FileSize:
        thin(selection, [&](std::uint32_t i) {
            return compares(condition.rnum, entries[i].size / kBytesPerKilobyte, condition.size);
        });
        return;
    case FileDate:
        thin(selection, [&](std::uint32_t i) {
            const auto age = static_cast<std::int64_t>(today - entries[i].date);
            return compares(condition.rdnum, age, condition.rdays);
        });
        return;
    case FileDateNew:
    case FileDateOld: {
        const bool newest = condition.rcond == FileDateNew;
        // Ranked over the whole current list, not over the selection.
        const std::vector<bool> survives =
            RankingSurvivors(entries, newest ? condition.newfilecnt : condition.oldfilecnt,
                             newest ? RankToward::Newest : RankToward::Oldest);
        thin(selection, [&](std::uint32_t i) { return survives[i]; });
        return;
    }
    default: // an unknown condition selects nothing: it must never widen a rule
        selection.clear();
        return;
    }
}

bool RuleReadsToday(const RuleRec& rule) {
    return std::ranges::any_of(Counted(rule.conds, rule.condcnt),
                               [](const ruleacondrec& c) { return c.rcond == FileDate; });
}

void ApplyConditions(const RuleRec& rule, const CurrentFiles& current, double today,
                     Selection& selection, LeftOutBy* leftOutBy) {
    const auto blame = [&](const Selection& before, const Selection& after, std::int32_t cause) {
        // Both lists keep the current list's order: one walk finds what went.
        auto kept = after.begin();
        for (const std::uint32_t index : before) {
            if (kept != after.end() && *kept == index)
                ++kept;
            else
                (*leftOutBy)[index] = cause;
        }
    };
    if (WhyPassedOver(rule)) {
        if (leftOutBy)
            blame(selection, {}, kRulePassedOver);
        selection.clear();
        return;
    }
    const auto conditions = Counted(rule.conds, rule.condcnt);
    if (!rule.anyCondition || conditions.empty()) {
        std::int32_t position = 0;
        Selection before;
        for (const ruleacondrec& condition : conditions) {
            if (leftOutBy)
                before = selection;
            ApplyCondition(condition, current, today, selection);
            if (leftOutBy)
                blame(before, selection, position);
            ++position;
        }
        return;
    }
    // Any one condition: each thins its own copy of the start, and a file any copy keeps stays.
    std::vector<bool> kept(current.entries.size(), false);
    for (const ruleacondrec& condition : conditions) {
        Selection one = selection;
        ApplyCondition(condition, current, today, one);
        for (const std::uint32_t index : one)
            kept[index] = true;
    }
    const Selection before = leftOutBy ? selection : Selection{};
    std::erase_if(selection, [&](std::uint32_t index) { return !kept[index]; });
    if (leftOutBy)
        blame(before, selection, kNoConditionTook);
}

std::vector<std::string_view> ExclusionPatterns(std::string_view excludefiles) {
    std::vector<std::string_view> patterns = SplitPieces(excludefiles);
    std::erase_if(patterns, [](std::string_view piece) { return piece.empty(); });
    return patterns;
}

bool Excluded(std::string_view name, const std::vector<std::string_view>& patterns) {
    return std::ranges::any_of(
        patterns, [&](std::string_view pattern) { return MatchPattern(name, pattern); });
}

} // namespace lp
