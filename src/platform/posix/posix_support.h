#pragma once
// Small pieces the POSIX implementations share.

#include <cerrno>
#include <cstdint>
#include <string>
#include <sys/stat.h>
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

// Whether two status records describe one file, however each was reached.
inline bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The last-write time in nanoseconds since the epoch.
inline std::int64_t modifiedNs(const struct stat& status) {
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
           status.st_mtim.tv_nsec;
}

// Six letters or digits that make a name of ours unlikely to meet another one.
std::string randomSuffix();

// Makes the entries of a folder durable. A folder that cannot be synced (some file systems
// refuse) does not undo what has already happened there, so its failure is not reported.
void syncFolder(const std::string& folder);

// Renames without ever replacing the target; falls back to link + unlink where the file system
// does not offer the no-replace rename. The system's error when the name did not move.
std::error_code renameNoReplace(const std::string& from, const std::string& to);

} // namespace lp::platform::posix
