#pragma once
// The rule that places a user's instance guard, on folders given to it, so that it can be tried
// on folders of a test's own.

#include <string>
#include <sys/types.h>

namespace lp::platform::posix {

// The guard's folder for the user `user`: runtimeFolders/<user> when that is a folder (not a link
// to one) of the user's with mode 0700, as the system makes a user's runtime folder; else
// home/.cache/Larchpost, made when first used. Empty when neither is there to be had (no absolute
// home). Nothing here reads the environment: every start of one user meets the same folder.
std::string InstanceGuardFolderFrom(const std::string& runtimeFolders, const std::string& home,
                                    uid_t user);

} // namespace lp::platform::posix
