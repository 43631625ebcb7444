#include "platform/stored_choices.h"

#include "windows_support.h"

namespace lp::platform {

namespace {

constexpr const wchar_t* kChoicesKey = L"Software\\Larchpost\\Options";

} // namespace

std::string StoredChoicesPlace() {
    return "HKEY_CURRENT_USER\\Software\\Larchpost\\Options";
}

std::optional<std::string> ReadStoredChoice(const std::string& name) {
    const std::wstring valueName = windows::toWide(name);
    DWORD type = 0;
    DWORD bytes = 0;
    // Asked twice, for the size and then the text, since the value may be of any length; a value
    // that grows in between is read on the next turn.
    if (::RegGetValueW(HKEY_CURRENT_USER, kChoicesKey, valueName.c_str(),
                       RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD) {
        DWORD number = 0;
        bytes = sizeof number;
        if (::RegGetValueW(HKEY_CURRENT_USER, kChoicesKey, valueName.c_str(), RRF_RT_REG_DWORD,
                           nullptr, &number, &bytes) != ERROR_SUCCESS)
            return std::nullopt;
        return std::to_string(number);
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_CURRENT_USER, kChoicesKey, valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                       text.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    // The count includes the terminating zero that RegGetValueW guarantees.
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return windows::toUtf8(text);
}

} // namespace lp::platform
