#include "platform/local_time.h"

#include "file_time.h"

namespace lp::platform {

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

} // namespace windows

double FileTimeToLocalDateTime(std::int64_t secondsSinceEpoch) {
    // File times count 100-nanosecond steps from 1601-01-01, 11644473600 s before the epoch.
    constexpr std::int64_t kEpochOffsetSeconds = 11'644'473'600;
    if (secondsSinceEpoch < -kEpochOffsetSeconds)
        return LocalDateTime(1980, 1, 1);
    const auto ticks =
        static_cast<std::uint64_t>(secondsSinceEpoch + kEpochOffsetSeconds) * 10'000'000ULL;
    FILETIME utc{};
    utc.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFULL);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return windows::localDateTimeOf(utc);
}

double LocalToday() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalDateTime(now.wYear, now.wMonth, now.wDay);
}

} // namespace lp::platform
