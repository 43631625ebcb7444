#pragma once
// The separator between a folder and a name, as the system writes paths.

#include <cstddef>
#include <string>
#include <string_view>

namespace lp::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
// Windows takes "/" as a separator too, and the names below a watched folder use it.
inline constexpr std::string_view kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr std::string_view kPathSeparators = "/";
#endif

// Where the name at the end of path starts: after its last separator, or at 0 without one.
// The folder without separators at its end ("/in/" is "/in"), so that a name joined to it takes
// one separator; a root keeps its own ("/", "C:\\").
inline std::string WithoutTrailingSeparators(std::string folder) {
    const auto root = [&] { return folder.size() == 3 && folder[1] == ':'; };
    while (folder.size() > 1 && kPathSeparators.find(folder.back()) != std::string_view::npos &&
           !root())
        folder.pop_back();
    return folder;
}

inline std::size_t NameStartIn(std::string_view path) {
    const auto separator = path.find_last_of(kPathSeparators);
    return separator == std::string_view::npos ? 0 : separator + 1;
}

} // namespace lp::platform
