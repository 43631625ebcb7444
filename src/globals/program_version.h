#pragma once
// The program's version and build number, one source for the about box, --version and the
// package (the numbers are set beside the project in the top CMakeLists.txt).

#include <string>

namespace lp {

std::string versionLine();   // "Version 1.00", as the about box shows it
std::string buildLine();     // "Build 2", the about box's second line
std::string versionBanner(); // "Larchpost 1.00 (build 2)", what --version prints

} // namespace lp
