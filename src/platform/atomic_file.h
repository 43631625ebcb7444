#pragma once
// Replacing a file so that a crash, a full disk or a failed write never leaves it half written.

#include <string>
#include <string_view>
#include <system_error>

namespace lp::platform {

// Writes content to a temporary file beside path, flushes it to disk and renames it over path.
// The new file has mode 0600 (it may hold a password). On failure the old file is untouched, the
// temporary file is removed and the error is returned.
std::error_code WriteFileAtomically(const std::string& path, std::string_view content);

// Renames path to path + ".bad", or ".bad1", ".bad2", … when that name is taken: an existing file
// is never replaced. keptAs receives the name used. Returns no_such_file_or_directory when path
// does not exist.
std::error_code SetFileAside(const std::string& path, std::string& keptAs);

} // namespace lp::platform
