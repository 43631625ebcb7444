#include "platform/stop_request.h"

#include <cerrno>
#include <csignal>
#include <ctime>

namespace lp::platform {

namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

void CatchStopRequests() {
    // Blocked signals stay pending until sigtimedwait takes them, so a request that arrives
    // during a cycle is seen right after it.
    const sigset_t set = stopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool WaitForStopRequest(std::chrono::milliseconds timeout) {
    const sigset_t set = stopSignals();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto wait = left.count() > 0 ? left : std::chrono::nanoseconds(0);
        timespec span{};
        span.tv_sec = static_cast<std::time_t>(wait.count() / 1'000'000'000);
        span.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        if (sigtimedwait(&set, nullptr, &span) > 0)
            return true;
        if (errno != EINTR)
            return false; // the time is up
    }
}

} // namespace lp::platform
