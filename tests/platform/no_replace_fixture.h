#pragma once
// Moves and copies that never replace, for their tests: what stood at the destination, and the
// temporary names an operation must never leave behind.

#include "file_operations_fixture.h"

#include <string>
#include <vector>

namespace lp::test {

class NoReplaceTest : public FileOperationsTest {
protected:
    // Our own temporary names left in folder.
    std::vector<std::string> leftovers(const std::string& folder) const {
        std::vector<std::string> names;
        for (const std::string& name : namesIn(folder))
            if (name.starts_with(".larchpost"))
                names.push_back(name);
        return names;
    }
};

} // namespace lp::test
