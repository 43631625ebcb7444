#include "folder_tree.h"
#include "counted.h"
#include "globals/path_template.h"
#include "platform/entry_status.h"
#include "platform/folder_device.h"
#include "platform/folder_making.h"
#include "platform/held_folder.h"
#include "platform/path_separator.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_set>
#include <utility>
#include <variant>

namespace lp {

namespace {

// The path below the top of a tree, "/" between its folders.
std::string below(const std::string& path, const std::string& name) {
    return path.empty() ? name : path + '/' + name;
}

std::string fullPath(const std::string& folder, const std::string& path) {
    return path.empty() ? folder : folder + platform::kPathSeparator + path;
}

// Where destination lies below folder ("a/b"), or nothing when it lies elsewhere or is folder.
std::optional<std::string> placeBelow(const std::string& folder, const std::string& destination) {
    if (destination.empty())
        return std::nullopt;
    const std::filesystem::path top = platform::Utf8Path(folder).lexically_normal();
    const std::filesystem::path target = platform::Utf8Path(destination).lexically_normal();
    const std::filesystem::path relative = target.lexically_relative(top);
    if (relative.empty())
        return std::nullopt;
    const std::u8string text = relative.generic_u8string();
    std::string place(text.begin(), text.end());
    while (!place.empty() && (place.back() == '/' || place.ends_with("/.")))
        place.erase(place.back() == '/' ? place.size() - 1 : place.size() - 2);
    if (place.empty() || place == "." || place == ".." || place.starts_with("../"))
        return std::nullopt;
    return place;
}

bool isLeftOut(const TreeReach& reach, const std::string& path) {
    return std::ranges::find(reach.leftOut, path) != reach.leftOut.end();
}

// What the walk does with an entry of a folder it may go below.
enum class WalkStep : std::uint8_t {
    Enter,    // a folder of the tree itself: walked into, no entry of its own
    PassOver, // a folder that is no part of the tree (another file system, a mount, a destination
              // of the folder's own rules): neither walked into nor an entry a rule could fail on
    Keep,     // a file, a link, or whatever cannot be examined: an entry
    TooDeep,  // a folder whose path is longer than the system examines a file by: said as one
              // that cannot be listed, its known files kept, and no entry
};

// The step for the entry at full: a folder itself, on the tree's own file system and no mount of
// any, not a destination of the folder's rules by its path nor by what it is, is entered.
WalkStep stepFor(const TreeReach& reach, const platform::FolderEntry& entry,
                 const std::string& path, const std::string& full, std::uint64_t device) {
    if (!entry.isFolder)
        return WalkStep::Keep;
    if (isLeftOut(reach, path))
        return WalkStep::PassOver;
    const auto folder = platform::RealFolderAt(full);
    if (!folder)
        return platform::TooLongToExamine(full) ? WalkStep::TooDeep : WalkStep::Keep;
    const bool leftOut =
        folder->index != 0 &&
        std::ranges::find(reach.leftOutFolders, std::pair(folder->device, folder->index)) !=
            reach.leftOutFolders.end();
    return folder->device != device || folder->mountedOn || leftOut ? WalkStep::PassOver
                                                                    : WalkStep::Enter;
}

// The outermost folder of the sub-folder path that is no folder of the tree now, while something
// stands at its place; nothing when the whole way is the tree's, or leads to nothing (the folder
// was removed or renamed, and its files went with it).
std::optional<std::string> outermostOutOfReach(const TreeReach& reach, std::string_view path,
                                               CycleEnvironment& environment) {
    if (std::ranges::count(path, '/') >= reach.levels)
        return std::nullopt; // below the walk's depth, never listed
    for (std::size_t end = path.find('/');; end = path.find('/', end + 1)) {
        const std::string part(path.substr(0, end));
        if (isLeftOut(reach, part))
            return std::nullopt;
        if (!environment.holdFolder(reach.folder, part)) {
            if (platform::ExamineEntry(fullPath(reach.folder, part)).exists)
                return part;
            return std::nullopt;
        }
        if (end == std::string_view::npos)
            return std::nullopt;
    }
}

// The device of the watched folder, which may be reached through a link.
std::optional<std::uint64_t> topDevice(const std::string& folder) {
    const auto top = platform::RealFolderAt(folder, true);
    return top ? std::optional(top->device) : std::nullopt;
}

void listInto(const TreeReach& reach, const std::string& path, std::int32_t levelsLeft,
              std::uint64_t device, CycleEnvironment& environment,
              std::vector<platform::FolderEntry>& entries, std::vector<std::string>& unlisted,
              std::vector<std::string>* walked) {
    const std::string full = fullPath(reach.folder, path);
    // A sub-folder is listed through the folder held (see RememberedTree::walk).
    const auto held = path.empty() ? std::nullopt : environment.holdFolder(reach.folder, path);
    auto listing = path.empty() || held ? environment.listFolder(held ? held->path() : full, true)
                                        : std::nullopt;
    if (!listing) {
        unlisted.push_back(path);
        return;
    }
    if (walked && !path.empty())
        walked->push_back(path);
    std::vector<std::string> entered;
    for (platform::FolderEntry& entry : *listing) {
        std::string name = below(path, entry.name);
        const WalkStep step =
            levelsLeft > 0
                ? stepFor(reach, entry, name, full + platform::kPathSeparator + entry.name, device)
                : WalkStep::Keep;
        if (step == WalkStep::PassOver)
            continue;
        if (step == WalkStep::TooDeep) {
            unlisted.push_back(std::move(name));
            continue;
        }
        if (step == WalkStep::Enter) {
            entered.push_back(std::move(name));
            continue;
        }
        if (reach.made.hold(name))
            continue;
        entry.name = std::move(name);
        entries.push_back(std::move(entry));
    }
    for (const std::string& sub : entered)
        listInto(reach, sub, levelsLeft - 1, device, environment, entries, unlisted, walked);
}

} // namespace

TreeReach ReachOf(const rServiceRules& service) {
    TreeReach reach{
        service.sharedir, std::clamp(service.subfolders, 0, kMostSubfolderLevels), {}, {}};
    if (reach.levels == 0)
        return reach;
    reach.made = MadePlaces(service);
    for (const RuleRec& rule : Counted(service.rulelist.rules, service.rulelist.rulecnt))
        for (const ruleactionrec& action : Counted(rule.actions, rule.actioncnt)) {
            const std::string* destination = action.raction == rMove   ? &action.racmove.filepath
                                             : action.raction == rCopy ? &action.raccopy.filepath
                                                                       : nullptr;
            if (!destination)
                continue;
            // A destination made from the file: all it may make lies in its fixed folder.
            std::string fixedPart;
            if (action.templated) {
                const auto parsed =
                    PathTemplate::Parse(*destination, PathTemplate::Kind::Destination);
                if (const auto* made = std::get_if<PathTemplate>(&parsed))
                    fixedPart = made->fixedFolder();
                destination = &fixedPart;
            }
            if (auto place = placeBelow(service.sharedir, *destination);
                place && !isLeftOut(reach, *place))
                reach.leftOut.push_back(std::move(*place));
            if (const auto folder = platform::RealFolderAt(*destination, true);
                folder && folder->index != 0)
                reach.leftOutFolders.emplace_back(folder->device, folder->index);
        }
    return reach;
}

bool SubFolderStillInTree(const std::string& folder, std::string_view subFolder) {
    return platform::HoldSubFolder(folder, subFolder).has_value();
}

std::optional<std::string> PathBelowTop(const std::string& top, const std::string& folder) {
    std::string_view base = top;
    while (base.size() > 1 && platform::kPathSeparators.find(base.back()) != std::string::npos)
        base.remove_suffix(1);
    const bool root = base.size() == 1 || (base.size() > 1 && base.back() == ':') ||
                      platform::kPathSeparators.find(base.back()) != std::string::npos;
    const std::size_t start = root ? base.size() : base.size() + 1;
    if (folder.size() <= start || !folder.starts_with(base) ||
        (!root && platform::kPathSeparators.find(folder[base.size()]) == std::string::npos))
        return std::nullopt;
    std::string below = folder.substr(start);
    std::ranges::replace(below, platform::kPathSeparator, '/');
    while (!below.empty() && below.back() == '/')
        below.pop_back();
    if (below.empty())
        return std::nullopt;
    return below;
}

std::string InSpellingOf(const std::string& top, const std::string& folder) {
    const auto realTop = platform::ResolvedFolder(top);
    const auto realFolder = platform::ResolvedFolder(folder);
    if (!realTop || !realFolder)
        return folder;
    // The folder or one around it is top itself: by its path, or, seen again through a bind
    // mount elsewhere, by what it is.
    const auto topFolder = platform::RealFolderAt(*realTop, true);
    std::filesystem::path around = platform::Utf8Path(*realFolder);
    std::vector<std::filesystem::path> below;
    for (;;) {
        const std::u8string text = around.u8string();
        const std::string path(text.begin(), text.end());
        const auto here = path == *realTop ? topFolder : platform::RealFolderAt(path, true);
        if (path == *realTop ||
            (topFolder && topFolder->index != 0 && here && here->device == topFolder->device &&
             here->index == topFolder->index)) {
            std::vector<std::string> names;
            for (const std::filesystem::path& name : below) {
                const std::u8string part = name.u8string();
                names.emplace_back(part.begin(), part.end());
            }
            std::ranges::reverse(names); // gathered from the inside out
            return PathBelow(top, names);
        }
        if (!around.has_relative_path())
            return folder;
        below.push_back(around.filename());
        around = around.parent_path();
    }
}

std::string_view SubFolderOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view{} : path.substr(0, slash);
}

std::string_view OwnNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool LiesIn(std::string_view path, std::string_view folder) {
    return path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

std::vector<std::string> SubFoldersOutOfReach(const TreeReach& reach,
                                              std::span<const filerec> known,
                                              std::vector<platform::FolderEntry>& entries,
                                              const std::vector<std::string>& unlisted,
                                              std::span<const std::string> former,
                                              CycleEnvironment& environment) {
    std::vector<std::string> outOfReach;
    // The entries of one folder come together, in the listing and in the known files alike: each
    // sub-folder is looked up once per run of its entries.
    std::unordered_set<std::string_view> listed;
    std::optional<std::string_view> last;
    for (const platform::FolderEntry& entry : entries)
        if (const std::string_view folder = SubFolderOf(entry.name); folder != last) {
            listed.insert(folder);
            last = folder;
        }
    std::unordered_set<std::string_view> looked;
    last.reset();
    for (const filerec& record : known) {
        const std::string_view folder = SubFolderOf(record.name);
        if (folder.empty() || folder == last)
            continue;
        last = folder;
        const auto counted = [&](const std::string& out) {
            return folder == out || LiesIn(folder, out);
        };
        if (listed.contains(folder) || !looked.insert(folder).second ||
            std::ranges::any_of(unlisted, counted) || std::ranges::any_of(outOfReach, counted))
            continue;
        if (auto out = outermostOutOfReach(reach, folder, environment))
            outOfReach.push_back(std::move(*out));
    }
    // A folder walked into before, empty or not, that a link stands for now: the link is no new
    // file of the tree, to be sorted away while the folder is elsewhere for a while. What the
    // listing saw at its place decides, not a look now, which a folder swapped back and forth
    // could meet at its other moment; a plain file there is a file. Where the listing saw
    // nothing, the folder's place is looked at, and only a link to a folder counts.
    for (const std::string& folder : former) {
        const auto counted = [&](const std::string& out) {
            return folder == out || LiesIn(folder, out);
        };
        if (std::ranges::any_of(unlisted, counted) || std::ranges::any_of(outOfReach, counted))
            continue;
        if (const auto seen = std::ranges::find(entries, folder, &platform::FolderEntry::name);
            seen != entries.end()) {
            if (!seen->plainFile)
                outOfReach.push_back(folder);
            continue;
        }
        if (platform::ExamineEntry(fullPath(reach.folder, folder)).leadsTo !=
            platform::PathLeadsTo::Folder)
            continue;
        if (auto out = outermostOutOfReach(reach, folder, environment))
            outOfReach.push_back(std::move(*out));
    }
    if (!outOfReach.empty())
        std::erase_if(entries, [&](const platform::FolderEntry& entry) {
            return std::ranges::find(outOfReach, entry.name) != outOfReach.end();
        });
    return outOfReach;
}

bool ListTree(const TreeReach& reach, CycleEnvironment& environment,
              std::vector<platform::FolderEntry>& entries, std::vector<std::string>& unlisted,
              std::vector<std::string>* walked) {
    entries.clear();
    unlisted.clear();
    const std::optional<std::uint64_t> device = topDevice(reach.folder);
    if (!device)
        return false;
    listInto(reach, "", reach.levels, *device, environment, entries, unlisted, walked);
    if (!unlisted.empty() && unlisted.front().empty()) {
        entries.clear();
        unlisted.clear();
        return false;
    }
    return true;
}

bool RememberedTree::refresh(const TreeReach& reach, CycleEnvironment& environment,
                             std::vector<std::string>& unlisted, bool detailsMatter) {
    unlisted.clear();
    detailsMatter_ = detailsMatter;
    const std::optional<std::uint64_t> device = topDevice(reach.folder);
    if (reach != reach_ || !device) {
        folders_.clear();
        visited_.clear();
        reach_ = reach;
    }
    if (!device) {
        entries_.clear();
        changed_ = true;
        return false;
    }
    std::vector<Visit> visits;
    entered_.clear();
    passedOver_.clear();
    bool anyChanged = false;
    someUnwatched_ = false;
    walk("", reach.folder, reach.levels, *device, environment, unlisted, visits, anyChanged);
    if (visits.empty()) { // the top could not be listed
        unlisted.clear();
        folders_.clear();
        visited_.clear();
        entries_.clear();
        changed_ = true;
        return false;
    }
    // Folders no longer in the tree give their watches back.
    std::vector<std::string> paths;
    paths.reserve(visits.size());
    for (const Visit& visit : visits)
        paths.push_back(visit.path);
    const bool sameFolders = paths == visited_;
    if (!sameFolders) {
        std::erase_if(folders_, [&](const auto& item) {
            return std::ranges::find(paths, item.first) == paths.end();
        });
        visited_ = std::move(paths);
    }
    changed_ = anyChanged || !sameFolders;
    if (changed_)
        rebuild(visits);
    return true;
}

void RememberedTree::walk(const std::string& path, const std::string& full, std::int32_t levelsLeft,
                          std::uint64_t device, CycleEnvironment& environment,
                          std::vector<std::string>& unlisted, std::vector<Visit>& visits,
                          bool& anyChanged) {
    RememberedFolder& folder = folders_[path];
    // A sub-folder may be swapped for a link at any moment: it is looked into only through the
    // folder held, reached from the top one folder at a time.
    FolderHold hold;
    if (!path.empty())
        hold = [&] { return environment.holdFolder(reach_.folder, path); };
    if (!folder.refresh(full, true, environment, detailsMatter_, hold)) {
        unlisted.push_back(path);
        return;
    }
    visits.push_back({path, &folder});
    anyChanged = anyChanged || folder.changed();
    someUnwatched_ = someUnwatched_ || (environment.folderObserver() && !folder.watched());
    if (levelsLeft == 0)
        return;
    std::vector<std::pair<std::string, std::string>> entered; // below, full
    for (const platform::FolderEntry& entry : folder.entries()) {
        if (!entry.isFolder)
            continue;
        std::string name = below(path, entry.name);
        std::string sub = full + platform::kPathSeparator + entry.name;
        const WalkStep step = stepFor(reach_, entry, name, sub, device);
        if (step == WalkStep::TooDeep)
            unlisted.push_back(name);
        if (step == WalkStep::PassOver || step == WalkStep::TooDeep)
            passedOver_.insert(std::move(name));
        else if (step == WalkStep::Enter)
            entered.emplace_back(std::move(name), std::move(sub));
    }
    for (const auto& [name, sub] : entered) {
        entered_.insert(name);
        walk(name, sub, levelsLeft - 1, device, environment, unlisted, visits, anyChanged);
    }
}

void RememberedTree::rebuild(const std::vector<Visit>& visits) {
    entries_.clear();
    for (const Visit& visit : visits) {
        for (const platform::FolderEntry& entry : visit.folder->entries()) {
            std::string name = below(visit.path, entry.name);
            // A sub-folder walked into is no entry, also when it could not be listed: its own
            // entries stand for it.
            if ((entry.isFolder && (entered_.contains(name) || passedOver_.contains(name))) ||
                reach_.made.hold(name))
                continue;
            entries_.push_back(entry);
            entries_.back().name = std::move(name);
        }
    }
}

} // namespace lp
