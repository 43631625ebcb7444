#pragma once
// File times of the Windows calls as the local date-times Larchpost counts in, and as exact
// instants.

#include "windows_support.h"

#include <cstdint>

namespace lp::platform::windows {

// A file time in UTC as a local date-time at the two-second resolution of the old file-time
// format; anything before 1980-01-01 00:00 local time (or beyond what that format holds) counts
// as that earliest moment.
double localDateTimeOf(const FILETIME& utc);

// A file time in UTC as nanoseconds since 1970-01-01 00:00 UTC, saturating beyond the nearly 300
// years either side of 1970 that the count holds (a file time reaches back to 1601).
std::int64_t nanosecondsSinceEpoch(const FILETIME& utc);

} // namespace lp::platform::windows
