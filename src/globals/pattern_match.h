#pragma once
#include <string_view>

namespace lp {

// True when the whole name matches the whole wildcard pattern ("*" any run, "?" one character,
// ASCII letters compared without case).
bool MatchPattern(std::string_view name, std::string_view pattern);

} // namespace lp
