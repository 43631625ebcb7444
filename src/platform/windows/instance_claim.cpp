#include "platform/instance_claim.h"

#include "windows_support.h"

#include <algorithm>

namespace lp::platform {

namespace {

std::wstring userName() {
    wchar_t name[256 + 1];
    DWORD length = static_cast<DWORD>(std::size(name));
    if (!::GetUserNameW(name, &length) || length == 0)
        return L"user";
    return std::wstring(name, length - 1); // the count includes the terminating zero
}

} // namespace

InstanceClaim ClaimInstanceName(const std::string& name) {
    // "Local\" is the session's own namespace; the user's name keeps apart users who share a
    // session (a program run as another user). A backslash is the one character a mutex name
    // cannot hold.
    std::wstring ownName = windows::toWide(name) + L"-" + userName();
    std::replace(ownName.begin(), ownName.end(), L'\\', L'_');
    const std::wstring mutexName = L"Local\\" + ownName;
    // Never closed: the claim lasts as long as the process, and ends with it even after a crash.
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutexName.c_str());
    if (mutex == nullptr)
        return ::GetLastError() == ERROR_ACCESS_DENIED ? InstanceClaim::HeldByAnother
                                                       : InstanceClaim::Failed;
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return InstanceClaim::HeldByAnother;
    }
    return InstanceClaim::Held;
}

} // namespace lp::platform
