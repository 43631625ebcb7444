#pragma once
// The user's own folders and whether the user may write into a folder.

#include <string>

namespace lp::platform {

// The user's configuration folder without a trailing separator: $XDG_CONFIG_HOME when it is an
// absolute path, otherwise $HOME/.config; empty when neither can be found.
std::string UserConfigFolder();

// The user's folder for state kept between runs (logs, histories), likewise: $XDG_STATE_HOME
// when it is an absolute path, otherwise $HOME/.local/state; empty when neither can be found.
std::string UserStateFolder();

// Whether the running user may create files in folder (false when it does not exist).
bool FolderWritable(const std::string& folder);

} // namespace lp::platform
