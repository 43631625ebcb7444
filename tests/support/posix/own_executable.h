#pragma once
// The folder of the running test program, found independently of the code under test.

#include <filesystem>
#include <string>

namespace lp::test {

inline std::string ownExecutableFolder() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/";
}

} // namespace lp::test
