#include "platform/app_path.h"

#include "windows_support.h"

namespace lp::platform {

std::string ApplicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut short: try again with more room
    }
    const auto separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return {};
    return windows::toUtf8(path.substr(0, separator + 1));
}

} // namespace lp::platform
