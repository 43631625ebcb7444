#pragma once
// What stands at a path, read without changing anything: for foreseeing whether a file operation
// would fail.

#include <cstdint>
#include <string>

namespace lp::platform {

enum class PathLeadsTo : std::uint8_t { Nothing, File, Folder, Other };

struct EntryStatus {
    bool exists = false;   // an entry stands at the path, a dangling link included
    bool isFolder = false; // the entry itself is a folder (a link to one is not)
    // The entry itself is no file, folder or link (a device, a pipe, a socket): it is never
    // opened, so it is never copied and moves only by a rename, within its own file system.
    bool isSpecial = false;
    // The path's name, or the path as a whole, is longer than its file system takes: nothing can
    // ever be made there.
    bool nameTooLong = false;
    PathLeadsTo leadsTo = PathLeadsTo::Nothing; // what the path reaches through links
    std::uint64_t device = 0; // the identity of what it reaches; both 0 when it reaches nothing
    std::uint64_t inode = 0;
    // Which mounted file system holds what the path reaches (for a folder: the one its entries
    // are in); 0 when it reaches nothing. A rename moves an entry only between folders of one
    // mounted file system, and one device mounted at two places counts as two.
    std::uint64_t volume = 0;

    bool sameFileAs(const EntryStatus& other) const {
        return leadsTo != PathLeadsTo::Nothing && other.leadsTo != PathLeadsTo::Nothing &&
               device == other.device && inode == other.inode;
    }
};

// Never fails: what cannot be examined counts as nothing there.
EntryStatus ExamineEntry(const std::string& path);

} // namespace lp::platform
