#include "platform/decimal_separator.h"

#include <clocale>
#include <langinfo.h>

namespace lp::platform {

char UserDecimalSeparator() {
    // Asked of a locale object of its own: the program's locale stays "C" where it never took the
    // user's (the headless program), so the answer is the same in every mode.
    const locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (user == static_cast<locale_t>(nullptr))
        return '.';
    const char* radix = ::nl_langinfo_l(RADIXCHAR, user);
    const char separator = radix != nullptr && radix[0] != '\0' ? radix[0] : '.';
    ::freelocale(user);
    return separator;
}

} // namespace lp::platform
