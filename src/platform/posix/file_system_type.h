#pragma once
// Telling file systems that keep their own times from those whose times come from elsewhere.

#include <cstdint>

namespace lp::platform {

// Whether a file system of the given statfs type keeps its times itself and exactly.
bool IsLocalFileSystemType(std::int64_t type);

} // namespace lp::platform
