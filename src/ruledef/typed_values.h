#pragma once
// Checks of what the user typed into a parameter dialog.

#include <QString>

#include <cstdint>
#include <optional>

namespace lp {

// A signed decimal whole number that fits 32 bits: an optional sign and digits, nothing else.
std::optional<std::int32_t> parseWholeNumber(const QString& text);

// The configuration file keeps one value a line, so a typed value cannot hold a line break.
bool holdsLineBreak(const QString& text);

inline const char* const kLineBreakRefusal = "Line breaks are not allowed here.";

} // namespace lp
