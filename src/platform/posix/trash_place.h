#pragma once
// Which trash a file goes to, and whether that trash can take it: the choice GIO's g_file_trash
// makes, told beforehand, so that a trash that cannot take the file is refused before anything is
// written there (GIO would otherwise leave an empty record behind, or put a file into the trash
// that no trash tool lists).

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>

namespace lp::platform::posix {

struct TrashPlace {
    std::string folder; // the trash itself, which holds files/ and info/ (perhaps not made yet)
    // The top of the drive whose own trash it is, to which its records' paths are relative;
    // empty for the user's home trash, whose records hold absolute paths.
    std::string top;
    // The longest name the trash's file system takes (255 on most).
    std::size_t longestName = 255;
};

// What a record's name adds to the name of the entry in the trash, and, while GIO writes the
// record, to the record's name.
inline constexpr std::size_t kTrashRecordSuffix = sizeof ".trashinfo" - 1;
inline constexpr std::size_t kGioWritingSuffix = sizeof ".XXXXXX" - 1;
// The shortest name an entry can take in the trash when its own is too long for its record
// (one byte of it, and a suffix that makes it unique).
inline constexpr std::size_t kShortestTrashName = 1 + sizeof "-XXXXXX" - 1;

// The trash for the entry name in folder (an absolute path without links, "." or ".."), and
// whether it can take it: it exists or can be made, its files/ and info/ folders may be written,
// it is on the entry's file system, a name for the entry in the trash with ".trashinfo" fits that
// file system's names (the entry's own, or a shortened one where that is too long), and a record
// of recordSize bytes fits on it. Nothing is changed.
std::error_code FindTrashFor(const std::string& folder, const std::string& name,
                             std::size_t recordSize, TrashPlace& place);

// The record GIO writes for the entry at path (absolute, no links) in place, without its
// deletion date: "[Trash Info]\nPath=<path, percent-encoded>\nDeletionDate=".
std::string TrashRecordStart(const std::string& path, const TrashPlace& place);

// Writes the whole record for the entry at path into the open, empty record file fd, with now as
// its deletion date, and makes it durable; what failed, or nothing.
std::error_code WriteTrashRecord(int fd, const std::string& path, const TrashPlace& place);

// The path a record's Path line names, percent-decoded; nothing when the record is no trash
// record (empty, as a failed write leaves it) or its Path is not encoded as it must be.
std::optional<std::string> TrashRecordPath(const std::string& record);

} // namespace lp::platform::posix
