#pragma once
// File times of the Windows calls as the local date-times Larchpost counts in.

#include "windows_support.h"

namespace lp::platform::windows {

// A file time in UTC as a local date-time at the two-second resolution of the old file-time
// format; anything before 1980-01-01 00:00 local time (or beyond what that format holds) counts
// as that earliest moment.
double localDateTimeOf(const FILETIME& utc);

} // namespace lp::platform::windows
