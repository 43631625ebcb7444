#pragma once
// A watched folder with its sub-folders, as one listing: every entry of the tree named by its
// path below the folder ("a/b/x.pdf", always with "/"), the folder's own entries first, then each
// sub-folder's in the order the listing gave the sub-folders. A sub-folder that is walked into is
// no entry itself; one that is not (too deep, a link, another file system, a destination of the
// folder's rules) stays an entry, as every sub-folder of a folder watched alone is.

#include "cycle_environment.h"
#include "globals/records.h"
#include "made_places.h"
#include "remembered_folder.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace lp {

// Where a walk goes.
struct TreeReach {
    std::string folder;
    std::int32_t levels = 0; // of sub-folders below folder
    // Sub-folders never walked into, by their path below folder: destinations of the folder's
    // own rules, so that nothing is sorted twice or round in a loop.
    std::vector<std::string> leftOut;
    // The same destinations as the folders they are, wherever their paths lead through links or
    // mounts: a folder of the tree that is one of them is never walked into either.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> leftOutFolders;
    // Files the folder's destinations made from the file may have put in the tree itself: no
    // entries either.
    MadePlaces made = {};
    bool operator==(const TreeReach&) const = default;
};

// The walk a service's turn takes: its levels of sub-folders, without its rules' destinations.
TreeReach ReachOf(const rServiceRules& service);

// The sub-folder that the entry named path lies in, below the watched folder ("a/b" for
// "a/b/x.pdf"); empty at the top.
std::string_view SubFolderOf(std::string_view path);
// The entry's own name, without the sub-folder it lies in.
std::string_view OwnNameOf(std::string_view path);
// Whether the entry named path lies in the sub-folder folder or further below it ("a/b/x" in "a").
bool LiesIn(std::string_view path, std::string_view folder);

// Whether each folder from folder down to its sub-folder subFolder ("a/b") is still a folder
// itself on the tree's own terms: no link, nothing mounted on it. A sub-folder swapped for a
// link since it was listed would lead the operations on its files elsewhere.
bool SubFolderStillInTree(const std::string& folder, std::string_view subFolder);

// The path of folder below top, with "/" between its parts ("a/b"), when folder lies inside
// top as their spellings tell; nothing otherwise, and for top itself.
std::optional<std::string> PathBelowTop(const std::string& top, const std::string& folder);

// folder as top spells it when, resolved, it is top or lies below it (written through a link,
// with "/./", "//" or ".."), so that what is put there is known by the names a walk of top
// gives; folder as it is otherwise.
std::string InSpellingOf(const std::string& top, const std::string& folder);

// Lists the whole tree with details into entries. False when the watched folder itself cannot be
// listed; a sub-folder that cannot be is left out and named in unlisted. walked, when given, gets
// the sub-folders listed.
bool ListTree(const TreeReach& reach, CycleEnvironment& environment,
              std::vector<platform::FolderEntry>& entries, std::vector<std::string>& unlisted,
              std::vector<std::string>* walked = nullptr);

// The sub-folders that known files were found in, or that were walked into before (former, an
// empty one too), and that stand at their place now as no folder of the tree: a link, something
// mounted there. A sub-folder swapped for a link
// for a moment must not take its files out of the tree, or they would all come back as new, and
// the retries of its files would be forgotten; so it keeps them, as one that cannot be read does,
// until the folder itself is back. What stands at their places is taken out of entries: no file
// of the tree, as a sub-folder walked into is no entry either. unlisted: the sub-folders that
// could not be listed, already counted.
std::vector<std::string> SubFoldersOutOfReach(const TreeReach& reach,
                                              std::span<const filerec> known,
                                              std::vector<platform::FolderEntry>& entries,
                                              const std::vector<std::string>& unlisted,
                                              std::span<const std::string> former,
                                              CycleEnvironment& environment);

// The tree kept from one turn to the next: each of its folders is remembered and watched as a
// folder watched alone is, so an unchanged tree is not listed again.
class RememberedTree {
public:
    // Brings entries() to what ListTree gives now; false when the watched folder cannot be listed,
    // nothing then being remembered. detailsMatter as for RememberedFolder::refresh.
    bool refresh(const TreeReach& reach, CycleEnvironment& environment,
                 std::vector<std::string>& unlisted, bool detailsMatter = true);
    bool changed() const { return changed_; }
    // Borrowed as RememberedFolder::entries() is.
    std::vector<platform::FolderEntry>& entries() { return entries_; }
    // Whether nothing is remembered (no folder, no watch).
    bool empty() const { return folders_.empty() && entries_.empty(); }
    // Whether some folder of the tree could not be given a watch at the last refresh.
    bool someUnwatched() const { return someUnwatched_; }
    // The folders walked at the last refresh, below the watched folder ("" the top), in walk order.
    const std::vector<std::string>& walked() const { return visited_; }

private:
    struct Visit {
        std::string path; // below the watched folder
        RememberedFolder* folder;
    };
    void walk(const std::string& path, const std::string& full, std::int32_t levelsLeft,
              std::uint64_t device, CycleEnvironment& environment,
              std::vector<std::string>& unlisted, std::vector<Visit>& visits, bool& anyChanged);
    bool detailsMatter_ = true;
    void rebuild(const std::vector<Visit>& visits);

    TreeReach reach_;
    std::unordered_map<std::string, RememberedFolder> folders_; // by path below, "" the top
    std::vector<std::string> visited_;                          // in walk order, last refresh
    std::unordered_set<std::string> entered_;    // every sub-folder walked into, listed or not
    std::unordered_set<std::string> passedOver_; // sub-folders not walked into that are no entries
    std::vector<platform::FolderEntry> entries_;
    bool changed_ = true;
    bool someUnwatched_ = false;
};

} // namespace lp
