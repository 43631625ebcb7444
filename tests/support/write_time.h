#pragma once
// Giving test files a chosen last-write time, named as a local calendar moment.

#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace lp::test {

inline void setLocalWriteTime(const std::string& path, int year, int month, int day, int hour = 12,
                              int minute = 0, int second = 0) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const timespec when{std::mktime(&local), 0};
    const timespec times[2] = {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace lp::test
