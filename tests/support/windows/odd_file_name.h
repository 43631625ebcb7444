#pragma once
// A file name that the system allows and that needs care when printed. Windows refuses control
// characters in names, and the test makes the file through the narrow path calls, so the name keeps
// to ASCII: blanks, an apostrophe, brackets.

namespace lp::test {

inline constexpr const char* kOddFileName = "typo 'x' [1].ini";

} // namespace lp::test
