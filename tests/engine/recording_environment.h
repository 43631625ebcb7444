#pragma once
// The cycle's environment for tests: real folders and real file operations, a fixed "today", and
// a launcher that records the argument lists instead of starting anything.

#include "engine/system_environment.h"
#include "platform/local_time.h"

#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace lp::test {

struct RecordedLaunch {
    std::string program;
    std::vector<std::string> arguments;
    bool operator==(const RecordedLaunch&) const = default;
};

class RecordingEnvironment : public SystemEnvironment {
public:
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
        launches.push_back({program, arguments});
        return true;
    }
    double today() override { return fixedToday; }

    std::vector<RecordedLaunch> launches;
    double fixedToday = platform::LocalDateTime(2026, 12, 8);
};

// Sets a file's last-write time to a local calendar moment.
inline void setLocalWriteTime(const std::string& path, int year, int month, int day, int hour = 12,
                              int minute = 0) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    const timespec when{std::mktime(&local), 0};
    const timespec times[2] = {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace lp::test
