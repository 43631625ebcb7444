#pragma once
// Larchpost's UTF-8 names as standard-library paths. A path made from a plain string would read
// it in the system's narrow encoding, which on Windows is not UTF-8.

#include <filesystem>
#include <string>

namespace lp::platform {

inline std::filesystem::path Utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

} // namespace lp::platform
