#include "log_sink.h"

#include <iostream>
#include <mutex>

namespace lp {

namespace {

void standardError(const std::string& message) {
    std::cerr << message << '\n';
}

struct Destination {
    std::mutex lock;
    MessageSink sink = standardError;
};

Destination& destination() {
    static Destination the;
    return the;
}

} // namespace

void SetLogSink(MessageSink sink) {
    Destination& to = destination();
    const std::lock_guard hold(to.lock);
    to.sink = sink ? std::move(sink) : MessageSink(standardError);
}

void LogWarning(const std::string& message) noexcept {
    Destination& to = destination();
    try {
        const std::lock_guard hold(to.lock);
        to.sink(message);
    } catch (...) { // NOLINT(bugprone-empty-catch): a line that cannot be said is lost, not fatal
    }
}

void LogCaught(std::string_view during, const char* what) noexcept {
    try {
        LogWarning("larchpost: " + std::string(during) +
                   " stopped on an exception: " + (what ? what : "unknown exception"));
    } catch (...) { // NOLINT(bugprone-empty-catch): no memory left even to say it
    }
}

} // namespace lp
