#include "rule_preview.h"

#include <algorithm>
#include <numeric>

namespace lp {

RulePreview PreviewRule(const RuleRec& rule, const std::string& excludefiles,
                        std::optional<std::vector<platform::FolderEntry>> listing, double today,
                        FileFacts* facts) {
    RulePreview preview;
    if (!listing)
        return preview;
    preview.listed = true;
    const std::vector<std::string_view> patterns = ExclusionPatterns(excludefiles);
    CurrentFiles current;
    current.facts = facts;
    std::vector<std::uint32_t> placeInListing; // per current entry
    preview.entries.reserve(listing->size());
    current.entries.reserve(listing->size());
    for (platform::FolderEntry& entry : *listing) {
        RulePreviewEntry& shown = preview.entries.emplace_back();
        shown.name = entry.name;
        if (Excluded(entry.name, patterns)) {
            shown.cause = LeftOutCause::Excluded;
            continue;
        }
        placeInListing.push_back(static_cast<std::uint32_t>(preview.entries.size() - 1));
        current.totalSize += entry.size;
        current.entries.push_back(std::move(entry));
    }
    if (current.entries.empty())
        return preview;

    // Every entry is new: the known list is empty, and ready, as after Sort Now's first look.
    rServiceRules noneKnown;
    KnownNames known(noneKnown, current);
    RuleRec taking = rule;
    taking.enabled = true;
    std::optional<Selection> selection =
        StartSelection(taking, current, TriggerState{false, true}, known);
    if (!selection) {
        for (const std::uint32_t at : placeInListing)
            preview.entries[at].cause = LeftOutCause::Trigger;
        return preview;
    }
    LeftOutBy leftOutBy(current.entries.size(), kKeptIn);
    ApplyConditions(taking, current, today, *selection, &leftOutBy);
    preview.taken = selection->size();
    for (std::size_t i = 0; i < leftOutBy.size(); ++i)
        if (leftOutBy[i] != kKeptIn) {
            RulePreviewEntry& shown = preview.entries[placeInListing[i]];
            shown.cause = LeftOutCause::Condition;
            shown.condition = leftOutBy[i];
        }
    return preview;
}

std::vector<std::size_t> EntriesToShow(const RulePreview& preview, std::size_t most) {
    std::vector<std::size_t> order(preview.entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto before = [&](std::size_t a, std::size_t b) {
        const RulePreviewEntry& x = preview.entries[a];
        const RulePreviewEntry& y = preview.entries[b];
        const bool xTaken = x.cause == LeftOutCause::None;
        const bool yTaken = y.cause == LeftOutCause::None;
        if (xTaken != yTaken)
            return xTaken;
        return x.name < y.name;
    };
    const std::size_t shown = std::min(most, order.size());
    std::partial_sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(shown),
                      order.end(), before);
    order.resize(shown);
    return order;
}

} // namespace lp
