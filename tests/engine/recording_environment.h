#pragma once
// The cycle's environment for tests: real folders and real file operations, a fixed "today", a
// clock that stands still unless moved, and a launcher that records the argument lists instead of
// starting anything.

#include "engine/system_environment.h"
#include "platform/local_time.h"
#include "support/write_time.h"

#include <functional>
#include <optional>
#include <string>
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
        if (program == unstartable)
            return false;
        launches.push_back({program, arguments});
        return true;
    }
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override {
        auto placed = SystemEnvironment::copyFile(source, destination, clash);
        if (placed && afterCopy)
            afterCopy(source);
        return placed;
    }
    double today() override { return fixedToday; }
    std::chrono::steady_clock::time_point now() override { return clock; }

    std::vector<RecordedLaunch> launches;
    std::string unstartable = "no-such-program"; // launching it fails, as a missing one would
    double fixedToday = platform::LocalDateTime(2026, 12, 8);
    std::chrono::steady_clock::time_point clock{}; // moved on by the test, never by itself
    std::function<void(const std::string& source)> afterCopy; // what another program does then
};

} // namespace lp::test
