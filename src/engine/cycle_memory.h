#pragma once
// What monitor cycles remember from one to the next so that unchanged folders cost next to
// nothing: per service, its folder's entries, whether its last turn did nothing, and the content
// types read.

#include "file_facts.h"
#include "folder_tree.h"
#include "quiet_turn.h"
#include "remembered_folder.h"

#include <cstddef>
#include <vector>

namespace lp {

struct ServiceMemory {
    RememberedFolder folder; // a folder watched alone
    RememberedTree tree;     // a folder watched with its sub-folders
    // Its sub-folders that stand at their place as no folder of the tree (see
    // SubFoldersOutOfReach), as the tree was when it last changed.
    std::vector<std::string> outOfReach;
    bool saidUnwatched = false; // that some folders of the tree are listed every cycle
    QuietTurn quiet;
    ContentTypeMemory types; // of the files the type conditions looked at
};

// Kept by table position; what a position remembers is checked against the service found there,
// so services that were added, removed or moved cost a full listing, never a wrong result.
class CycleMemory {
public:
    // Makes room for exactly count services.
    void fit(std::size_t count) { services_.resize(count); }
    ServiceMemory& at(std::size_t position) { return services_.at(position); }

private:
    std::vector<ServiceMemory> services_;
};

} // namespace lp
