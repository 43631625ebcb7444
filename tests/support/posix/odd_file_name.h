#pragma once
// A file name that the system allows and a terminal must not see as it is: a line break and an
// escape sequence.

namespace lp::test {

inline constexpr const char* kOddFileName = "typo\n\x1b[2J.ini";

} // namespace lp::test
