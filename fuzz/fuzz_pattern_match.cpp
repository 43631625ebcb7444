// A name and a pattern, split at the first zero byte. The matcher must finish on any length and,
// on ASCII names short enough for it, agree with the plain recursive rules it stands for (in an
// ASCII name every byte is one character; the unit tests cover the others).

#include "globals/pattern_match.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The rules in their order: rest is exactly "*"; name exhausted; star; question mark; letter.
bool reference(std::string_view s, std::string_view p) {
    if (p == "*")
        return true;
    if (s.empty())
        return p.empty();
    if (!p.empty() && p[0] == '*')
        return reference(s, p.substr(1)) || reference(s.substr(1), p);
    if (!p.empty() && p[0] == '?')
        return reference(s.substr(1), p.substr(1));
    return !p.empty() && upper(s[0]) == upper(p[0]) && reference(s.substr(1), p.substr(1));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto zero = input.find('\0');
    const std::string_view name = input.substr(0, zero);
    const std::string_view pattern =
        zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
    const bool result = lp::MatchPattern(name, pattern);
    // The plain rules branch at every star; keep them to inputs they finish quickly.
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && name.size() <= 12 && pattern.size() <= 12 && result != reference(name, pattern))
        std::abort();
    return 0;
}
