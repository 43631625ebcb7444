#pragma once
// Where one UTF-8 character ends, for code that cuts, cleans or matches text byte by byte.

#include <cstddef>
#include <string_view>

namespace lp {

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none (an
// empty text, a stray continuation byte, an overlong form, a surrogate, a value beyond
// U+10FFFF, a cut-off sequence).
std::size_t Utf8SequenceLength(std::string_view text);

// Where text is cut to keep at most most bytes without splitting a character: most itself, or
// back to the start of the character it falls in (continuation bytes are 10xxxxxx).
std::size_t CharacterCut(std::string_view text, std::size_t most);

// The most bytes a name takes on the file systems Larchpost writes to.
inline constexpr std::size_t kLongestName = 255;

} // namespace lp
