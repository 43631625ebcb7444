// Local times as the activity log writes them: ISO 8601 with the offset, whatever the zone.

#include "platform/local_time.h"
#include "platform/user_folders.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

#include <ctime>

namespace lp::platform {
namespace {

using test::ScopedVariable;

TEST(LocalTimestamp, TheOffsetIsWrittenWithItsSignAndColonInEveryZone) {
    constexpr std::time_t kMoment = 1796717553; // 2026-12-08 08:12:33 UTC
    struct Case {
        const char* zone;
        const char* expected;
    };
    const Case cases[] = {
        {"UTC0", "2026-12-08T08:12:33+00:00"},
        {"CET-1", "2026-12-08T09:12:33+01:00"},
        {"<-0330>3:30", "2026-12-08T04:42:33-03:30"},
        {"<+1345>-13:45", "2026-12-08T21:57:33+13:45"},
        {"<-10>10", "2026-12-07T22:12:33-10:00"},
    };
    for (const Case& c : cases) {
        const ScopedVariable zone("TZ", c.zone);
        EXPECT_EQ(LocalTimestamp(kMoment), c.expected) << c.zone;
    }
}

TEST(UserStateFolder, AnAbsoluteXdgStateHomeWinsAndOtherwiseTheHomeFolderGivesIt) {
    struct Case {
        const char* state;
        const char* home;
        const char* expected;
    };
    const Case cases[] = {
        {"/state", "/home/u", "/state"},          {"relative", "/home/u", "/home/u/.local/state"},
        {"", "/home/u/", "/home/u/.local/state"}, {nullptr, "/home/u", "/home/u/.local/state"},
        {nullptr, "/", "/.local/state"},
    };
    for (const Case& c : cases) {
        const ScopedVariable state("XDG_STATE_HOME", c.state);
        const ScopedVariable home("HOME", c.home);
        EXPECT_EQ(UserStateFolder(), c.expected) << (c.state ? c.state : "(unset)");
    }
}

} // namespace
} // namespace lp::platform
