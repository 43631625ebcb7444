#pragma once
// Small pieces the POSIX implementations share.

#include <cerrno>
#include <string>
#include <system_error>

namespace lp::platform::posix {

// The error the last failed system call left in errno.
inline std::error_code lastError() {
    return {errno, std::generic_category()};
}

// The folder part of a path: "." for a bare name, "/" for an entry of the root.
inline std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace lp::platform::posix
