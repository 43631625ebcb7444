#pragma once
// Folders full of files for the benchmarks, made in the system's temporary folder and removed
// again, and the bare listings the monitor cycle is measured against.

#include <cstddef>
#include <string>
#include <vector>

namespace lp::bench {

class BenchFolder {
public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string sub(const std::string& name) const; // made on first use

    // Makes count files named "<prefix><n>.<ext>" in folder, n from first; every fourth one has
    // the extension "mp3", the others "dat". With varied true each gets its own size (sparse, so
    // no disk is used) and last-write time.
    static void fill(const std::string& folder, const std::string& prefix, std::size_t first,
                     std::size_t count, bool varied);

private:
    std::string path_;
};

// The names of a folder's entries, and nothing else.
std::vector<std::string> ListNames(const std::string& folder);
// The names with a status call for each entry: what reading sizes and dates costs at least.
std::vector<std::string> ListNamesWithStatus(const std::string& folder);

} // namespace lp::bench
