#pragma once
// Giving test files a chosen last-write time, named as a local calendar moment.

#include <chrono>
#include <ctime>
#include <filesystem>
#include <string>

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
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
    std::error_code ignored;
    std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(when), ignored);
}

} // namespace lp::test
