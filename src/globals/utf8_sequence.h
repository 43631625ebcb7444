#pragma once
// Where one UTF-8 character ends, for code that cuts, cleans or matches text byte by byte.

#include <cstddef>
#include <string_view>

namespace lp {

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none (an
// empty text, a stray continuation byte, an overlong form, a surrogate, a value beyond
// U+10FFFF, a cut-off sequence).
std::size_t Utf8SequenceLength(std::string_view text);

} // namespace lp
