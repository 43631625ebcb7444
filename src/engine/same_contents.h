#pragma once
// Whether a second file holds what a first one does, byte for byte: the only sure sign that a
// copy stands where it was to be made.

#include "platform/file_identity.h"

#include <string>

namespace lp {

// Whether another file than original stands at path with original's size, last-write time (a
// copy keeps both) and bytes. Only files are read: a pipe or device at either path is no copy.
bool WholeCopyAt(const std::string& path, const std::string& original,
                 const platform::FileIdentity& of);

// Whether a copy of source already stands at target, or at one of the numbered names that
// "keep both" gives (up to the first that is free): another file of the same size, last-write
// time and bytes. Size and time alone would take a different file that merely looks alike (two
// photos of one size from one camera second) for the copy, and the source would then be deleted
// with no copy of it anywhere. Read only for retries, so first tries cost nothing more.
bool CopyStandsAt(const std::string& source, const std::string& target);

} // namespace lp
