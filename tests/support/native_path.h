#pragma once
// Paths that tests write with '/', as the system itself writes them, so that what the engine
// builds with its own separator compares equal on every system.

#include "platform/path_separator.h"

#include <algorithm>
#include <string>

namespace lp::test {

inline std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
    return path;
}

} // namespace lp::test
