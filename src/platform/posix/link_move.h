#pragma once
// Symbolic links as moves treat them: the link itself moves, and still leads to the same file
// afterwards; its target is never touched.

#include <string>
#include <sys/stat.h>
#include <system_error>

namespace lp::platform::posix {

// Whether file is one of those the link leads through on its way: a further link or the file at
// its end.
bool LinkLeadsTo(const std::string& link, const struct stat& file);

// Moves the link at source, whose own status is link, to destination, replacing any file there
// when replace is set, and otherwise failing with file_exists when anything stands there. The
// link keeps its target text where that text still leads to the same file from the new folder
// (an absolute one always does); otherwise it gets a relative text between the real folders, or
// else an absolute one without "." or "..", that leads there. A dangling link keeps its text.
// Across file systems the new link is made before the old one is removed. Fails, with nothing
// changed, when no text would lead to the same file from the new place.
std::error_code MoveLink(const std::string& source, const struct stat& link,
                         const std::string& destination, bool replace);

} // namespace lp::platform::posix
