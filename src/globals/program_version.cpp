#include "program_version.h"

// LARCHPOST_VERSION_TEXT and LARCHPOST_BUILD_NUMBER come from the build, which also names the
// package after them.

namespace lp {

namespace {

constexpr char kVersion[] = LARCHPOST_VERSION_TEXT;
constexpr int kBuild = LARCHPOST_BUILD_NUMBER;

} // namespace

std::string versionLine() {
    return std::string("Version ") + kVersion;
}

std::string buildLine() {
    return "Build " + std::to_string(kBuild);
}

std::string versionBanner() {
    return std::string("Larchpost ") + kVersion + " (build " + std::to_string(kBuild) + ")";
}

} // namespace lp
