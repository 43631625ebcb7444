#pragma once
// The rule that places a user's instance guard, on folders given to it, so that it can be tried
// on folders of a test's own.

#include <string>
#include <sys/types.h>
#include <vector>

namespace lp::platform::posix {

// The guard's folders for the user `user`: home/.cache/Larchpost when home is absolute, and
// runtimeFolders/<user> when that is a folder (not a link to one) of the user's with mode 0700, as
// the system makes a user's runtime folder; in that order. Nothing here reads the environment:
// every start of one user meets the same folders, but for the runtime folder, which the system
// makes at the user's first log-in.
std::vector<std::string> InstanceGuardFoldersFrom(const std::string& runtimeFolders,
                                                  const std::string& home, uid_t user);

} // namespace lp::platform::posix
