#include "platform/local_time.h"

#include "file_time.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace lp::platform {

namespace {

// File times count 100-nanosecond steps from 1601-01-01, 11644473600 s before the epoch.
constexpr std::int64_t kEpochOffsetSeconds = 11'644'473'600;
constexpr std::int64_t kTicksPerSecond = 10'000'000;

std::int64_t ticksOf(const SYSTEMTIME& time) {
    FILETIME file{};
    ::SystemTimeToFileTime(&time, &file);
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(file.dwHighDateTime) << 32) |
                                     file.dwLowDateTime);
}

} // namespace

namespace windows {

double localDateTimeOf(const FILETIME& utc) {
    FILETIME local{};
    WORD dosDate = 0;
    WORD dosTime = 0;
    // The old format holds 1980 to 2107; outside it the conversion fails.
    if (!::FileTimeToLocalFileTime(&utc, &local) ||
        !::FileTimeToDosDateTime(&local, &dosDate, &dosTime))
        return LocalDateTime(1980, 1, 1);
    return LocalDateTime(1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F, dosDate & 0x1F,
                         dosTime >> 11, (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2);
}

std::int64_t nanosecondsSinceEpoch(const FILETIME& utc) {
    // File times count 100-nanosecond steps from 1601-01-01, 11644473600 s before the epoch.
    constexpr std::int64_t kEpochOffsetTicks = 116'444'736'000'000'000;
    constexpr std::int64_t kNanosecondsPerTick = 100;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max() / kNanosecondsPerTick;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    // Ticks beyond what an int64 holds lie far past the limit anyway.
    const std::int64_t sinceEpoch =
        ticks > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
            ? kLimit
            : static_cast<std::int64_t>(ticks) - kEpochOffsetTicks;
    return std::clamp(sinceEpoch, -kLimit, kLimit) * kNanosecondsPerTick;
}

} // namespace windows

double FileTimeToLocalDateTime(std::int64_t secondsSinceEpoch) {
    if (secondsSinceEpoch < -kEpochOffsetSeconds)
        return LocalDateTime(1980, 1, 1);
    const auto ticks = static_cast<std::uint64_t>(secondsSinceEpoch + kEpochOffsetSeconds) *
                       static_cast<std::uint64_t>(kTicksPerSecond);
    FILETIME utc{};
    utc.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFULL);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return windows::localDateTimeOf(utc);
}

std::string LocalTimestamp(std::time_t moment) {
    const auto ticks =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(moment) + kEpochOffsetSeconds) *
        static_cast<std::uint64_t>(kTicksPerSecond);
    const FILETIME file{static_cast<DWORD>(ticks & 0xFFFFFFFFULL), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    ::FileTimeToSystemTime(&file, &utc);
    // The zone's rules for that moment's year, daylight saving included; where the zone cannot
    // be read the time is written as UTC with +00:00, which is still the right moment.
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        local = utc;
    const std::int64_t offsetMinutes = (ticksOf(local) - ticksOf(utc)) / kTicksPerSecond / 60;
    const long offset = static_cast<long>(std::llabs(offsetMinutes));
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld", local.wYear,
                  local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                  offsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
    return text;
}

double LocalToday() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalDateTime(now.wYear, now.wMonth, now.wDay);
}

} // namespace lp::platform
