#pragma once
#include <string_view>

namespace lp {

// True when the whole name matches the whole wildcard pattern. Names are UTF-8: "?" stands for one
// character (one UTF-8 sequence, or one byte that is not part of a valid one) and "*" for any run
// of whole characters. ASCII letters compare without case, every other character byte for byte.
bool MatchPattern(std::string_view name, std::string_view pattern);

} // namespace lp
