#include "platform/decimal_separator.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace lp::platform {
namespace {

// Sets LC_ALL for one test and puts back what was there.
class ScopedLcAll {
public:
    explicit ScopedLcAll(const char* value) {
        if (const char* old = std::getenv("LC_ALL"))
            old_ = old;
        ::setenv("LC_ALL", value, 1);
    }
    ~ScopedLcAll() {
        if (old_)
            ::setenv("LC_ALL", old_->c_str(), 1);
        else
            ::unsetenv("LC_ALL");
    }
    ScopedLcAll(const ScopedLcAll&) = delete;
    ScopedLcAll& operator=(const ScopedLcAll&) = delete;

private:
    std::optional<std::string> old_;
};

TEST(UserDecimalSeparator, FollowsTheUserLocaleWithoutTakingIt) {
    const locale_t german = ::newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
    if (german == static_cast<locale_t>(nullptr))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (scripts/setup makes it)";
    ::freelocale(german);
    {
        ScopedLcAll lcAll("de_DE.UTF-8");
        EXPECT_EQ(UserDecimalSeparator(), ',');
        EXPECT_EQ(std::localeconv()->decimal_point, std::string(".")); // the program's own stays
    }
    for (const char* other : {"C", "no_SUCH.locale"}) {
        ScopedLcAll lcAll(other);
        EXPECT_EQ(UserDecimalSeparator(), '.') << other;
    }
}

} // namespace
} // namespace lp::platform
