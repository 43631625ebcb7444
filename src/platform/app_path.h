#pragma once
#include <string>

namespace lp::platform {

// The folder of the running executable, ending in the path separator; empty when the system does
// not tell (names relative to it then resolve against the working folder).
std::string ApplicationFolder();

} // namespace lp::platform
