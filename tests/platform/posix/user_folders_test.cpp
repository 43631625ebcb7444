// Where the user's configuration folder is, as the environment says.

#include "platform/user_folders.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

#include <string>

namespace lp {
namespace {

struct EnvCase {
    const char* name;
    const char* xdg;
    const char* home;
    const char* expected;
};

class UserConfig : public testing::TestWithParam<EnvCase> {};

TEST_P(UserConfig, FollowsXdgConfigHomeOnlyWhenAbsolute) {
    const EnvCase& c = GetParam();
    test::ScopedVariable xdg("XDG_CONFIG_HOME", c.xdg);
    test::ScopedVariable home("HOME", c.home);
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
