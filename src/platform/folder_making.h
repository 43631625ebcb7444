#pragma once
// Making the folders a destination names below a folder that must already exist.

#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace lp::platform {

// Whether folder lies at or below a mount point that the system's table of file systems
// (mountTable, /etc/fstab) names but that has nothing mounted on it now: the empty folder of a
// drive that is not plugged in, which stays when the drive goes. Always false on Windows, where
// such a drive's letter goes with it.
bool AwaitsItsDrive(const std::string& folder, const std::string& mountTable = "/etc/fstab");

// The folder's path as the system resolves it, whatever links, ".", ".." or doubled separators
// its spelling holds; nothing when it cannot be resolved (missing, unreadable on the way).
std::optional<std::string> ResolvedFolder(const std::string& folder);

// Makes below[0] inside base, below[1] inside that, and so on, each where it is missing, with
// the user's default mode. base itself is never made: when it is missing, or it awaits its drive
// (an unplugged drive), the call fails with std::errc::no_such_file_or_directory and makes
// nothing. No folder below
// base is reached through a link, so nothing is ever made outside base: a link or a file standing
// at one of the names fails with std::errc::not_a_directory. made receives the paths of the
// folders this call made, the outermost first, also when it fails part way.
std::error_code MakeFoldersBelow(const std::string& base, const std::vector<std::string>& below,
                                 std::vector<std::string>& made);

// Removes folder when it is an empty folder itself (no link to one); the error otherwise.
std::error_code RemoveEmptyFolder(const std::string& folder);

} // namespace lp::platform
