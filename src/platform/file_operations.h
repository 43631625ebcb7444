#pragma once
// Copying, moving and deleting files so that none is ever lost or left half written. A folder entry
// is never copied, moved or deleted, and only regular files and links are ever opened: device
// nodes, pipes and sockets are refused before anything reads them.

#include "platform/file_identity.h"

#include <string>
#include <system_error>

namespace lp::platform {

// Copies source over destination. A source that is a link is copied as what it points at. The
// content (holes left as holes), permission bits and last-write time go into a new file in the
// destination's folder that has no name until it is complete, and then replaces destination; a
// failure, or a program killed part way, leaves an existing destination whole and nothing behind.
// A source that changes while it is being copied fails the copy. A destination that is the source
// itself, under whatever path, fails and nothing is changed.
std::error_code CopyFileReplacing(const std::string& source, const std::string& destination);

// Moves source to destination, replacing a file there: a rename within one file system; across
// file systems a copy as above, after which the source is deleted only if it is still the very
// file that was copied, unchanged. A link moves as the link itself and still leads to the same
// file afterwards. A destination that is the source itself under another path (a hard link, a
// bind mount, a link to it), or a file the moved link leads to, fails and nothing is changed.
std::error_code MoveFileReplacing(const std::string& source, const std::string& destination);

// As the two above, but never replacing: when anything stands at destination they fail with
// std::errc::file_exists and change nothing. The kernel decides that in the same step that
// gives the file its new name (a no-replace rename; a finished copy linked into place), so a
// file that arrives at destination meanwhile is never replaced either. A destination that is the
// source itself fails with std::errc::invalid_argument instead: no other name would give the
// operation a meaning.
std::error_code CopyFileNoReplace(const std::string& source, const std::string& destination);
std::error_code MoveFileNoReplace(const std::string& source, const std::string& destination);

// As the two moves above; after a move, moved is the identity of the file at its new place (as
// IdentifyFile would read it there), known without looking again where a rename kept the file.
std::error_code MoveFileReplacing(const std::string& source, const std::string& destination,
                                  std::optional<FileIdentity>& moved);
std::error_code MoveFileNoReplace(const std::string& source, const std::string& destination,
                                  std::optional<FileIdentity>& moved);

// Deletes a file; a link is removed itself, never what it points at. A folder is refused.
std::error_code DeleteFileEntry(const std::string& path);

} // namespace lp::platform
