#pragma once
// The folder of the running test program, found independently of the code under test.

#include <filesystem>
#include <string>
#include <windows.h>

namespace lp::test {

inline std::string ownExecutableFolder() {
    wchar_t path[32768];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, 32768);
    const auto folder = std::filesystem::path(std::wstring(path, length)).parent_path();
    const std::u8string text = folder.u8string() + u8"\\";
    return std::string(text.begin(), text.end());
}

} // namespace lp::test
