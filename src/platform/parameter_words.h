#pragma once
// Reading a launch action's parameter text as the words of a command line, by the rules that
// the system's own users write command lines in.

#include <string>
#include <string_view>
#include <vector>

namespace lp::platform {

// Splits the parameter text into the program's arguments; nothing is expanded, and an empty text
// gives no argument. Blanks and tabs separate words everywhere, and quotes group them.
//
// On Linux, as a shell splits words: '...' groups literally; "..." groups, inside which \" stands
// for " and \\ for \; outside quotes a backslash takes the next character literally; an
// unclosed quote runs to the end of the text.
//
// On Windows, as a program's start-up code splits its command line: "..." groups, a backslash is
// a path's separator and stands for itself except before a quote (\" is a quote, \\" a backslash
// and a grouping quote), and an apostrophe is a letter like any other.
std::vector<std::string> SplitParameterText(std::string_view text);

} // namespace lp::platform
