#pragma once
// Copying, moving and deleting files so that none is ever lost or left half written. A folder entry
// is never copied, moved or deleted.

#include <string>
#include <system_error>

namespace lp::platform {

// Copies source over destination: the content, permission bits and last-write time go into a
// temporary file in the destination's folder, which then replaces destination. A failure leaves an
// existing destination whole and no temporary file behind. A source that changes while it is being
// copied fails the copy. Copying a file onto itself does nothing and succeeds.
std::error_code CopyFileReplacing(const std::string& source, const std::string& destination);

// Moves source to destination, replacing a file there: a rename within one file system; across
// file systems a copy as above, after which the source is deleted only if it did not change
// meanwhile (a file still being written stays where it is). Moving a file onto itself does nothing.
std::error_code MoveFileReplacing(const std::string& source, const std::string& destination);

// Deletes a file; a folder is refused.
std::error_code DeleteFileEntry(const std::string& path);

} // namespace lp::platform
