#pragma once
// Copying a file's content so that holes stay holes: a nearly empty large file does not fill
// the destination's disk.

#include <sys/types.h>
#include <system_error>

namespace lp::platform::posix {

// Copies the first size bytes of from into the empty file to. A clone shares the blocks where
// the file system offers it; otherwise only the data regions are copied and the rest stays
// unwritten. A file that shrinks meanwhile fails the copy.
std::error_code CopySparseContent(int from, int to, off_t size);

} // namespace lp::platform::posix
