#pragma once
// Reading one folder entry's details, for a whole listing and for a single changed entry alike.

#include "platform/folder_listing.h"

#include <cstdint>

namespace lp::platform::posix {

enum class Examined : std::uint8_t { Done, Vanished, Failed };

// Fills entry's details from the entry name of the open folder folderFd. Vanished when it is gone
// since it was named; Failed when it cannot be examined for another reason.
Examined ReadEntryDetails(int folderFd, const char* name, FolderEntry& entry);

} // namespace lp::platform::posix
