#pragma once
// A file name that the system allows and that needs care when printed: Windows refuses control
// characters in names, so a backslash-free name with quotation marks and letters beyond ASCII.

namespace lp::test {

inline constexpr const char* kOddFileName = "typo \xC2\xAB\xC3\xA9\xC2\xBB.ini";

} // namespace lp::test
