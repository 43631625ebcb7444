#pragma once
// A temporary folder for tests of saving files whole, with small helpers to read and write them.

#include "globals/temp_folder.h"
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace lp::test {

class AtomicFileTest : public testing::Test {
protected:
    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(folder_), {}));
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }
    static void write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    TempFolder temp_;
    const std::filesystem::path& folder_ = temp_.path();
};

} // namespace lp::test
