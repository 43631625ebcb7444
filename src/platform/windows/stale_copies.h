#pragma once
// Copies are written under a temporary name of ours in their destination folder and renamed when
// complete. A program killed part way leaves such a file behind; those older than a day are
// removed from the folders we copy into.

#include <string>
#include <string_view>

namespace lp::platform::windows {

// A new name for a temporary copy, not taken before in this process: ".larchpost-copy-", then
// the process id, a count and the time it was made (in the 100-nanosecond steps of a file time),
// in decimal digits separated by "-". The time is in the name because a file's own creation time
// is not kept by every file system a Windows program may write to.
std::wstring NewCopyName();

// Removes, once per folder in a run, our temporary copies there that were made more than a day
// before now. Anything else (other names, folders, links) stays, and so does a copy that a
// running program holds open, since it shares it with nobody.
void RemoveStaleCopiesOnce(const std::wstring& folder);

// The same, now and whether or not the folder was looked at before.
void RemoveStaleCopies(const std::wstring& folder);

} // namespace lp::platform::windows
