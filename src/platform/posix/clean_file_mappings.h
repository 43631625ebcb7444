#pragma once
// Which parts of the own address space hold nothing but clean pages read from files: the
// program's and its libraries' code and constants, fonts, locale data. Those pages can be dropped
// and read back from their files when next touched, so nothing of the process is lost by it.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lp::platform {

struct MappedRange {
    std::uintptr_t start = 0;
    std::size_t length = 0;

    friend bool operator==(const MappedRange&, const MappedRange&) = default;
};

// From the text of /proc/<pid>/smaps: the private, read-only mappings of named files that hold
// resident pages, none of them written by the process (no anonymous or dirty page) and none locked
// in memory. Writable and shared mappings are left out: their pages may be written meanwhile.
std::vector<MappedRange> CleanFileMappings(std::string_view smaps);

} // namespace lp::platform
