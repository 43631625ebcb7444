#include "file_selection.h"
#include "content_categories.h"
#include "counted.h"
#include "file_facts.h"
#include "globals/path_template.h"
#include "globals/pattern_match.h"
#include "globals/quoted_value.h"
#include "name_pairing.h"
#include "rank_window.h"

#include <algorithm>
#include <variant>

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

// Kinds that read each file beyond its listing, which are applied after the others.
bool readsFiles(const ruleacondrec& condition) {
    return condition.rcond == FileTypeMatching || condition.rcond == DownloadedFrom;
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
        if (action.unknownPlaceholder) {
            const bool rename = action.raction == rRename;
            const std::string& text = rename                    ? action.racrename.newname
                                      : action.raction == rMove ? action.racmove.filepath
                                                                : action.raccopy.filepath;
            const auto parsed = PathTemplate::Parse(text, rename ? PathTemplate::Kind::Name
                                                                 : PathTemplate::Kind::Destination);
            const auto* refusal = std::get_if<TemplateRefusal>(&parsed);
            return std::string(rename ? "its new name " : "its destination ") + QuoteValue(text) +
                   " cannot be used: " +
                   (refusal ? refusal->reason : "it holds a placeholder Larchpost does not know");
        }
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
    // An entry of a sub-folder ("photos.2026/readme") has the extension of its own name.
    if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
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
    // A type condition needs them too: a file written again under its name changes only its
    // size and last-write time, which tell an unchanged folder from a changed one.
    const auto readsDetails = [](const ruleacondrec& condition) {
        return (condition.rcond >= FileSize && condition.rcond <= FileDateOld) ||
               condition.rcond == FileTypeMatching;
    };
    // Destinations and names made from the file read its last-write time.
    const auto readsDate = [](const ruleactionrec& action) {
        return action.templated || action.raction == rRename;
    };
    return std::ranges::any_of(
        Counted(service.rulelist.rules, service.rulelist.rulecnt), [&](const RuleRec& rule) {
            return rule.enabled &&
                   (rule.mcond == TotalFileSize ||
                    std::ranges::any_of(Counted(rule.conds, rule.condcnt), readsDetails) ||
                    std::ranges::any_of(Counted(rule.actions, rule.actioncnt), readsDate));
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
    case FileTypeMatching:
        // A file whose content cannot be read or told matches no type.
        thin(selection, [&](std::uint32_t i) {
            if (current.facts == nullptr)
                return false;
            const std::optional<std::string> mime = current.facts->contentType(entries[i]);
            return mime && ContentTypeMatches(*mime, condition.types);
        });
        return;
    case DownloadedFrom: {
        // A file without a recorded address was not downloaded from anywhere known.
        const auto patterns = ExclusionPatterns(condition.origins);
        thin(selection, [&](std::uint32_t i) {
            if (current.facts == nullptr || patterns.empty())
                return false;
            const std::optional<std::string> origin = current.facts->downloadOrigin(entries[i]);
            return origin && Excluded(*origin, patterns);
        });
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
    // The conditions that read files come after the others, which cost nothing to ask.
    std::vector<std::int32_t> order;
    for (const bool reading : {false, true})
        for (std::int32_t position = 0; position < static_cast<std::int32_t>(conditions.size());
             ++position)
            if (readsFiles(conditions[static_cast<std::size_t>(position)]) == reading)
                order.push_back(position);
    if (!rule.anyCondition || conditions.empty()) {
        Selection before;
        for (const std::int32_t position : order) {
            if (leftOutBy)
                before = selection;
            ApplyCondition(conditions[static_cast<std::size_t>(position)], current, today,
                           selection);
            if (leftOutBy)
                blame(before, selection, position);
        }
        return;
    }
    // Any one condition: each thins its own copy of the start, and a file any copy keeps stays;
    // a condition that reads files looks only at those no condition took yet.
    std::vector<bool> kept(current.entries.size(), false);
    for (const std::int32_t position : order) {
        const ruleacondrec& condition = conditions[static_cast<std::size_t>(position)];
        Selection one = selection;
        if (readsFiles(condition))
            std::erase_if(one, [&](std::uint32_t index) { return kept[index]; });
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
    // An entry of a sub-folder is named by its path below the watched folder ("a/b/x.pdf"): a
    // pattern holding "/" matches that path, any other the entry's own name.
    // Most names hold no "/" at all, which a forward search tells fastest; for them both are the
    // same, and the patterns need not be searched for one.
    if (name.find('/') == std::string_view::npos)
        return std::ranges::any_of(
            patterns, [&](std::string_view pattern) { return MatchPattern(name, pattern); });
    const std::string_view ownName = name.substr(name.rfind('/') + 1);
    return std::ranges::any_of(patterns, [&](std::string_view pattern) {
        return MatchPattern(pattern.find('/') == std::string_view::npos ? ownName : name, pattern);
    });
}

} // namespace lp
