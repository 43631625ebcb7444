#include "made_places.h"
#include "counted.h"
#include "folder_tree.h"
#include "name_clash.h"
#include "platform/folder_device.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <optional>
#include <variant>

namespace lp {

namespace {

// Where folder lies below fixed: "a/b/", or "" for fixed itself; nothing when elsewhere.
std::optional<std::string> leadBelow(const std::string& fixed, const std::string& folder) {
    if (const auto lead = PathBelowTop(fixed, folder))
        return *lead + '/';
    const auto spelt = [](const std::string& path) {
        return platform::Utf8Path(path).lexically_normal() / "";
    };
    if (spelt(fixed) == spelt(folder))
        return "";
    // The same folder by another path: a link, a bind mount.
    const auto fixedFolder = platform::RealFolderAt(fixed, true);
    const auto watched = platform::RealFolderAt(folder, true);
    if (fixedFolder && watched && fixedFolder->index != 0 &&
        fixedFolder->device == watched->device && fixedFolder->index == watched->index)
        return "";
    return std::nullopt;
}

} // namespace

MadePlaces::MadePlaces(const rServiceRules& service) {
    if (service.subfolders <= 0)
        return;
    for (const RuleRec& rule : Counted(service.rulelist.rules, service.rulelist.rulecnt))
        for (const ruleactionrec& action : Counted(rule.actions, rule.actioncnt)) {
            if (!action.templated || (action.raction != rMove && action.raction != rCopy))
                continue;
            const std::string& stored =
                action.raction == rMove ? action.racmove.filepath : action.raccopy.filepath;
            auto parsed = PathTemplate::Parse(stored, PathTemplate::Kind::Destination);
            auto* made = std::get_if<PathTemplate>(&parsed);
            if (!made || made->keepsPlace())
                continue;
            if (auto lead = leadBelow(made->fixedFolder(), service.sharedir))
                made_.push_back({stored, std::move(*lead), std::move(*made)});
        }
}

bool MadePlaces::hold(std::string_view path) const {
    const std::string_view folder = SubFolderOf(path);
    if (made_.empty() || folder.empty())
        return false;
    const std::string_view name = OwnNameOf(path);
    // A file that "keep both" numbered was placed by its name before the number.
    const std::optional<std::string> before = NameBeforeNumber(name);
    std::string place;
    const auto madeFor = [&](const Made& made, std::string_view own) {
        std::string pattern = made.shape.madeFoldersPattern(FactsOfName(own, 0.0, 0.0));
        auto found = compiled_.find(pattern);
        if (found == compiled_.end())
            found = compiled_.emplace(pattern, std::regex(pattern)).first;
        return std::regex_match(place, found->second);
    };
    for (const Made& made : made_) {
        place.assign(made.lead).append(folder).append(1, '/');
        if (madeFor(made, name) || (before && made.shape.usesName() && madeFor(made, *before)))
            return true;
    }
    return false;
}

bool MadePlaces::operator==(const MadePlaces& other) const {
    return std::ranges::equal(made_, other.made_, [](const Made& a, const Made& b) {
        return a.stored == b.stored && a.lead == b.lead;
    });
}

} // namespace lp
