#include "platform/local_time.h"

#include <chrono>

namespace lp::platform {

namespace {

constexpr std::chrono::sys_days kDayZero = std::chrono::year{1899} / 12 / 30;
constexpr double kSecondsPerDay = 86400.0;

} // namespace

// Plain calendar arithmetic, the same on every system; only reading the clock and the time zone
// is the system's business.
double LocalDateTime(int year, int month, int day, int hour, int minute, int second) {
    const std::chrono::sys_days date =
        std::chrono::year{year} / static_cast<unsigned>(month) / static_cast<unsigned>(day);
    const auto wholeDays = (date - kDayZero).count();
    return static_cast<double>(wholeDays) + (hour * 3600 + minute * 60 + second) / kSecondsPerDay;
}

} // namespace lp::platform
