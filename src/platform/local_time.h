#pragma once
// Local date-times as the configuration and the rules count them: whole days since 1899-12-30,
// the fraction being the time of day.

#include <cstdint>
#include <ctime>
#include <string>

namespace lp::platform {

// A file time (seconds since the epoch) as a local date-time at the two-second resolution of
// the old file-time format; anything before 1980-01-01 00:00 local time counts as that moment.
double FileTimeToLocalDateTime(std::int64_t secondsSinceEpoch);

// The start of the current local day.
double LocalToday();

// The date-time of a local calendar moment; used by both of the above and by tests.
double LocalDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// The moment in local time, ISO 8601 to the second with the offset from UTC (+00:00, never Z):
// 2026-12-08T09:12:33+01:00.
std::string LocalTimestamp(std::time_t moment);

} // namespace lp::platform
