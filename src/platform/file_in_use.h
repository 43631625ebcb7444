#pragma once
// Telling whether another program is still writing a file (a download in progress, a copy still
// running), so that the file is left for a later cycle.

#include <string>

namespace lp::platform {

// True when some process holds the regular file at path open for writing. False when none does,
// and also when it cannot be told (nothing there, no regular file, a file system or an owner that
// grants no lease): the caller then goes on as if the file were free. Never blocks, never ends
// the program, and never opens anything but a regular file.
bool FileOpenForWriting(const std::string& path);

// As FileOpenForWriting, for a path that a listing taken just before saw as a plain file: its
// type is not asked again. A link that took the name since is not followed; a pipe or device put
// in its place since the listing is opened without blocking and without becoming the program's
// terminal, and refused at once by the check itself.
bool ListedFileOpenForWriting(const std::string& path);

} // namespace lp::platform
