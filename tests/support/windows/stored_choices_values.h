#pragma once
// Sets values of the key where the desktop program keeps the options dialog's choices, for one
// test, and puts back what stood there before when it ends.

#include "platform/stored_choices.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lp::test {

class StoredChoicesValues {
public:
    StoredChoicesValues() = default;
    StoredChoicesValues(const StoredChoicesValues&) = delete;
    StoredChoicesValues& operator=(const StoredChoicesValues&) = delete;
    ~StoredChoicesValues() {
        for (auto it = before_.rbegin(); it != before_.rend(); ++it) {
            if (it->second)
                setText(it->first, *it->second);
            else
                ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, it->first.c_str());
        }
    }

    bool setText(const std::wstring& name, const std::wstring& text) {
        remember(name);
        return ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name.c_str(), REG_SZ, text.c_str(),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    }
    bool setNumber(const std::wstring& name, DWORD number) {
        remember(name);
        return ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name.c_str(), REG_DWORD, &number,
                                 sizeof number) == ERROR_SUCCESS;
    }
    bool remove(const std::wstring& name) {
        remember(name);
        const LSTATUS status = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, name.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }

private:
    static constexpr const wchar_t* kKey = L"Software\\Larchpost\\Options";

    // What stood under the name when the test first touched it (a text value or nothing).
    void remember(const std::wstring& name) {
        for (const auto& [known, value] : before_)
            if (known == name)
                return;
        wchar_t text[512];
        DWORD bytes = sizeof text;
        std::optional<std::wstring> value;
        if (::RegGetValueW(HKEY_CURRENT_USER, kKey, name.c_str(), RRF_RT_REG_SZ, nullptr, text,
                           &bytes) == ERROR_SUCCESS)
            value = std::wstring(text);
        before_.emplace_back(name, std::move(value));
    }

    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> before_;
};

} // namespace lp::test
