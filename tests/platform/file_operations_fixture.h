#pragma once
// A temporary folder with the folders "in" and "out" for tests of the file operations.

#include "globals/temp_folder.h"
#include "platform/file_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace lp::test {

class FileOperationsTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(temp.file("in"));
        std::filesystem::create_directories(temp.file("out"));
    }
    std::string at(const std::string& relative) const { return temp.file(relative); }
    std::vector<std::string> namesIn(const std::string& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(at(folder)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TempFolder temp;
};

} // namespace lp::test
