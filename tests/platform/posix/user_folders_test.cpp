// Where the user's configuration folder is, as the environment says.

#include "platform/user_folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace lp {
namespace {

// Sets an environment variable for one scope (unset when value is null).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            saved_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

struct EnvCase {
    const char* name;
    const char* xdg;
    const char* home;
    const char* expected;
};

class UserConfig : public testing::TestWithParam<EnvCase> {};

TEST_P(UserConfig, FollowsXdgConfigHomeOnlyWhenAbsolute) {
    const EnvCase& c = GetParam();
    ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(platform::UserConfigFolder(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, UserConfig,
    testing::Values(EnvCase{"Xdg", "/cfg", "/home/me", "/cfg"},
                    EnvCase{"RelativeXdgIgnored", "cfg", "/home/me", "/home/me/.config"},
                    EnvCase{"EmptyXdgIgnored", "", "/home/me/", "/home/me/.config"},
                    EnvCase{"HomeOnly", nullptr, "/home/me", "/home/me/.config"}),
    [](const testing::TestParamInfo<EnvCase>& p) { return std::string(p.param.name); });

} // namespace
} // namespace lp
