// The decimal separator follows the user's own regional settings, read afresh at each call.

#include "platform/decimal_separator.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace lp::platform {
namespace {

// The user's decimal separator set for the test, and set back as it was afterwards.
class UserDecimalSetting {
public:
    UserDecimalSetting() {
        wchar_t old[8] = {};
        if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old, 8) > 0)
            old_ = old;
    }
    ~UserDecimalSetting() {
        if (!old_.empty())
            ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, old_.c_str());
    }
    UserDecimalSetting(const UserDecimalSetting&) = delete;
    UserDecimalSetting& operator=(const UserDecimalSetting&) = delete;
    bool set(const wchar_t* separator) {
        return ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator) != 0;
    }

private:
    std::wstring old_;
};

TEST(DecimalSeparator, IsTheOneTheUserChoseOrADotWhereItHasNoOneByteForm) {
    UserDecimalSetting setting;
    struct Case {
        const wchar_t* chosen;
        char expected;
    };
    const Case cases[] = {
        {L",", ','},
        {L".", '.'},
        {L"\u066B", '.'}, // the Arabic decimal separator
        {L"'", '\''},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(setting.set(c.chosen));
        EXPECT_EQ(UserDecimalSeparator(), c.expected) << static_cast<int>(c.chosen[0]);
    }
}

} // namespace
} // namespace lp::platform
