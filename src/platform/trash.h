#pragma once
// The desktop's trash, for deletes the user wants to be able to take back: on Linux the
// freedesktop.org trash (the home trash, or the trash at the top of the file's own drive), from
// which the file manager and trash-restore put a file back where it was. Windows builds have none.

#include <string>
#include <system_error>

namespace lp::platform {

// Whether this build has a trash at all; without one every MoveToTrash fails and the file stays.
bool TrashAvailable();

// Settles, once, that the trash works on the local disk alone and never waits for a desktop
// service (a file-system daemon, a sandbox's portal). Call it first thing in main, before any
// thread starts: it briefly changes the environment. Until it has run, MoveToTrash refuses.
void PrepareTrash();

// Why MoveToTrash would refuse the entry at path, told from its name and folder as they stand
// now, changing nothing: the trash it would go to is missing and cannot be made, or may not be
// written; the trash's path with the entry's name is too long for the system; that
// file system is full; the trash would be on another file system than the file. Nothing when
// the trash looks ready (it may still fail: the disk can change meanwhile). Whether the entry
// itself exists is not judged.
std::error_code ForeseeTrashRefusal(const std::string& path);

// Moves the entry at path (a link itself, never what it leads to) into the trash, with the
// record that restores it to exactly this path, byte for byte (a name too long for its record
// takes a shortened one in the trash; the record still names the entry's own). A folder is refused,
// as every delete refuses one. On any failure the entry stays at path, no record of it is left in
// the trash, and the reason is returned: std::errc::filename_too_long, permission_denied,
// no_space_on_device, cross_device_link, operation_not_supported (no trash there), or what the
// system said.
std::error_code MoveToTrash(const std::string& path);

} // namespace lp::platform
