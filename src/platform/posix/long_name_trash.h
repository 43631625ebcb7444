#pragma once
// Trashing an entry whose name is too long for GIO's record: "<name>.trashinfo", or the temporary
// file GIO writes it through, would be longer than the file system's names allow (a legal name of
// 239 to 255 bytes). Such an entry goes into the same trash under a shortened name of its own,
// with a record that names its whole original path, so every trash tool restores it to exactly
// that path.

#include "trash_place.h"

#include <string>
#include <sys/stat.h>
#include <system_error>

namespace lp::platform::posix {

// Whether GIO can record the entry name in place: the name it would give the record (its own,
// or a numbered one where that is taken already) fits, with its temporary suffix.
bool GioCanRecord(const TrashPlace& place, const std::string& name);

// The name the entry takes in the trash when its own cannot: its start, cut where a character
// ends, then "-" and unique, then its extension where that is short; with ".trashinfo" it fits
// the longest name.
std::string ShortTrashName(const std::string& name, std::size_t longest, const std::string& unique);

// Moves the entry at path (absolute, its folder without links), whose status is entry, into
// the trash place under a shortened name: the record is made first (which reserves the name),
// written and made durable, then the entry is moved beside it without replacing anything. On
// any failure the record is removed again and the entry stays at path.
std::error_code TrashUnderShortName(const std::string& path, const std::string& name,
                                    const struct stat& entry, const TrashPlace& place);

} // namespace lp::platform::posix
