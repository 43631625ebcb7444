#pragma once
// Waiting between monitor cycles of the program without a window, until the user asks it to stop
// (an interrupt from the terminal or a termination request).

#include <chrono>

namespace lp::platform {

// Routes the stop requests to WaitForStopRequest instead of ending the process at once. Call it
// before any thread is started, so that every thread inherits it.
void CatchStopRequests();

// Waits up to timeout; true as soon as a stop request has arrived (also one that came earlier).
bool WaitForStopRequest(std::chrono::milliseconds timeout);

} // namespace lp::platform
