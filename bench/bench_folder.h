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

// What an outside measurement compares with: a bare readdir loop over the folder, and the same
// loop with an fstatat call for each entry. Nothing is kept; each returns the number of entries.
std::size_t CountEntries(const std::string& folder);
std::size_t CountEntriesWithStatus(const std::string& folder);

// Sets the folder's own modification time a minute back, as if its last change were that old.
void SetFolderTimeBack(const std::string& folder);

} // namespace lp::bench
