#pragma once
// Putting the found file's path into the arguments of the program a launch action starts; the
// parameter text is read into words by platform/parameter_words.h.

#include <string>
#include <string_view>
#include <vector>

namespace lp {

// The placeholder that stands for the found file's path, matched case-sensitively.
inline constexpr std::string_view kFilePlaceholder = "mfile";

// Replaces every placeholder in each argument, from left to right, by path; the inserted text is
// never searched again. The file name thus always arrives as part of one argument, whatever
// characters it holds.
std::vector<std::string> InsertFilePath(std::vector<std::string> arguments, std::string_view path);

} // namespace lp
