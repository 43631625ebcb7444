// Local times as the activity log writes them, in whatever zone the machine is in: the local
// time less the written offset is the moment itself.

#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace lp::platform {
namespace {

// The moment a timestamp names; nothing when it is not written as 2026-12-08T09:12:33+01:00.
std::optional<std::time_t> momentOf(const std::string& stamp) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int offsetHours = 0, offsetMinutes = 0;
    char sign = 0;
    int length = 0;
    if (std::sscanf(stamp.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d%n", &year, &month, &day, &hour,
                    &minute, &second, &sign, &offsetHours, &offsetMinutes, &length) != 9 ||
        static_cast<std::size_t>(length) != stamp.size() || stamp.size() != 25 ||
        (sign != '+' && sign != '-') || offsetMinutes >= 60 || offsetHours > 14)
        return std::nullopt;
    using namespace std::chrono;
    const sys_days date{year_month_day{std::chrono::year{year},
                                       std::chrono::month{static_cast<unsigned>(month)},
                                       std::chrono::day{static_cast<unsigned>(day)}}};
    const auto local = date + hours{hour} + minutes{minute} + seconds{second};
    const auto offset = (hours{offsetHours} + minutes{offsetMinutes}) * (sign == '-' ? -1 : 1);
    return static_cast<std::time_t>((local - offset).time_since_epoch().count());
}

TEST(LocalTimestamp, TheLocalTimeLessItsOffsetIsTheMomentInWinterAndSummer) {
    const std::time_t moments[] = {
        0,          // 1970-01-01 00:00:00 UTC
        951825600,  // 2000-02-29 12:00:00 UTC
        1782864000, // 2026-07-01 00:00:00 UTC: daylight saving where there is any
        1796717553, // 2026-12-08 08:12:33 UTC
        1798761599, // 2026-12-31 23:59:59 UTC: the year may turn locally
    };
    for (const std::time_t moment : moments) {
        const std::string stamp = LocalTimestamp(moment);
        EXPECT_EQ(momentOf(stamp), moment) << stamp;
    }
}

} // namespace
} // namespace lp::platform
