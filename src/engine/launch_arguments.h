#pragma once
// Turning a launch action's parameter text into the argument list of the program it starts.

#include <string>
#include <string_view>
#include <vector>

namespace lp {

// The placeholder that stands for the found file's path, matched case-sensitively.
inline constexpr std::string_view kFilePlaceholder = "mfile";

// Splits the parameter text into words as a shell does, but expands nothing: blanks and tabs
// separate; '...' groups literally; "..." groups, with \" and \\ standing for " and \ inside;
// outside quotes a backslash takes the next character literally; an unclosed quote runs to the
// end of the text. Quotes are dropped, and an empty pair gives an empty word. An empty text gives
// no argument.
std::vector<std::string> SplitParameterText(std::string_view text);

// Replaces every placeholder in each argument, from left to right, by path; the inserted text is
// never searched again. The file name thus always arrives as part of one argument, whatever
// characters it holds.
std::vector<std::string> InsertFilePath(std::vector<std::string> arguments, std::string_view path);

} // namespace lp
