#pragma once
// Replacing a file so that a crash, a full disk or a failed write never leaves it half written.

#include <string>
#include <string_view>
#include <system_error>

namespace lp::platform {

// Writes content to a temporary file, flushes it to disk and renames it over path. A symbolic
// link stays a link: the file it points at is replaced, in that file's own folder, and keeps its
// mode. Any other new file has mode 0600 (it may hold a password). On failure the old file is
// untouched, the temporary file is removed and the error is returned.
std::error_code WriteFileAtomically(const std::string& path, std::string_view content);

// As WriteFileAtomically, and the file that was there is kept under the name + ".bad", or
// ".bad1", ".bad2", … when that name is taken (a kept file is never replaced). The new content is
// written first and the old file is kept before it is replaced, so every failure leaves the old
// content at path. keptAs receives the name used, or stays empty when there was no old file.
std::error_code ReplaceFileKeepingOld(const std::string& path, std::string_view content,
                                      std::string& keptAs);

} // namespace lp::platform
