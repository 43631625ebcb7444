#pragma once
// Showing a value that came from outside (a file name, a path or number the user typed) in one
// line of text.

#include <optional>
#include <string>
#include <string_view>

namespace lp {

// The value in double quotes, a \ or " inside it preceded by a backslash, a line break written
// \n, a carriage return \r and a tab \t, and every other control character (C0, DEL, C1) and
// every byte that is not part of valid UTF-8 written \xHH per byte: safe to show on a terminal,
// and every byte of the value can be read back from it.
std::string QuoteValue(std::string_view value);

// Reads one value written by QuoteValue from the start of text and takes it off text; nothing
// (text unchanged) when text does not start with one.
std::optional<std::string> ReadQuotedValue(std::string_view& text);

} // namespace lp
