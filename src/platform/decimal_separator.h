#pragma once
// The decimal separator of the user's own locale.

namespace lp::platform {

// The first character of the decimal separator that the user's locale settings (LC_ALL,
// LC_NUMERIC, LANG) name, whether or not the program has taken that locale; "." when they name
// none or one that is not installed.
char UserDecimalSeparator();

} // namespace lp::platform
