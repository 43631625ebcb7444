#include "platform/local_time.h"

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

} // namespace lp::platform
