#include "platform/decimal_separator.h"

#include "windows_support.h"

namespace lp::platform {

char UserDecimalSeparator() {
    // The user's own setting in the regional options, whatever the program's C locale says.
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator,
                          static_cast<int>(std::size(separator))) == 0)
        return '.';
    // A separator outside ASCII has no one-byte form that a version number could be written with.
    const wchar_t first = separator[0];
    return first > 0 && first < 0x80 ? static_cast<char>(first) : '.';
}

} // namespace lp::platform
