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

} // namespace lp
