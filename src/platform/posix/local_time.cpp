#include "platform/local_time.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace lp::platform {

namespace {

// The earliest moment the old file-time format can hold.
double earliestFileTime() {
    static const double earliest = LocalDateTime(1980, 1, 1);
    return earliest;
}

} // namespace

double FileTimeToLocalDateTime(std::int64_t secondsSinceEpoch) {
    const auto when = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (::localtime_r(&when, &local) == nullptr || local.tm_year + 1900 < 1980)
        return earliestFileTime();
    const int evenSecond = local.tm_sec / 2 * 2; // a leap second 60 stays within the minute
    return LocalDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, evenSecond > 58 ? 58 : evenSecond);
}

double LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr)
        return earliestFileTime();
    return LocalDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string LocalTimestamp(std::time_t moment) {
    std::tm local{};
    if (::localtime_r(&moment, &local) == nullptr)
        ::gmtime_r(&moment, &local); // tm_gmtoff is then 0: the time is still right
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long offset = std::labs(offsetMinutes);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offsetMinutes < 0 ? '-' : '+', offset / 60,
                  offset % 60);
    return text;
}

} // namespace lp::platform
