#include "platform/folder_listing.h"

// Each system's folder gives ListFolderInto; the list made fresh is the same on all of them.

namespace lp::platform {

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder, bool withDetails,
                                                   std::size_t expected) {
    std::vector<FolderEntry> entries;
    entries.reserve(expected);
    if (!ListFolderInto(folder, withDetails, entries))
        return std::nullopt;
    return entries;
}

} // namespace lp::platform
