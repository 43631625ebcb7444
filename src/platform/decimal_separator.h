#pragma once
// The decimal separator of the user's own locale.

namespace lp::platform {

// The first character of the decimal separator that the user's locale settings (LC_ALL,
// LC_NUMERIC, LANG; on Windows the regional settings) name, whether or not the program has taken
// that locale; "." when they name none, one that is not installed, or one outside ASCII on
// Windows.
char UserDecimalSeparator();

} // namespace lp::platform
