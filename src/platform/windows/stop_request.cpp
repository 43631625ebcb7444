#include "platform/stop_request.h"

#include "windows_support.h"

namespace lp::platform {

namespace {

// Set once a stop request has come and never reset: a request is not lost while a cycle runs.
HANDLE stopEvent() {
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI onConsoleEvent(DWORD kind) {
    ::SetEvent(stopEvent());
    // A closing console, a logoff or a shutdown ends the process as soon as this handler
    // returns; waiting here lets the cycle under way finish first (the system still ends the
    // process after its own grace time).
    if (kind == CTRL_CLOSE_EVENT || kind == CTRL_LOGOFF_EVENT || kind == CTRL_SHUTDOWN_EVENT)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

void CatchStopRequests() {
    stopEvent();
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool WaitForStopRequest(std::chrono::milliseconds timeout) {
    const auto count = timeout.count() < 0 ? 0 : timeout.count();
    // INFINITE is 0xFFFFFFFF; a longer wait is cut just short of it.
    const DWORD wait = count >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(count);
    return ::WaitForSingleObject(stopEvent(), wait) == WAIT_OBJECT_0;
}

} // namespace lp::platform
