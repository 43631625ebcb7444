#pragma once
// A sub-folder of a watched folder held open while its files are acted on. Its path may be
// swapped for a link to another folder at any moment; what is done through a held folder still
// reaches the files of the very folder that was walked, never those the link leads to.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace lp::platform {

class HeldFolder {
public:
    HeldFolder(int handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    HeldFolder(HeldFolder&& other) noexcept
        : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}
    HeldFolder& operator=(HeldFolder&&) = delete;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    ~HeldFolder();

    // The path through which the folder's files are reached while it is held; it means nothing
    // to another process, nor once the folder is let go.
    const std::string& path() const { return path_; }

private:
    int handle_;
    std::string path_;
};

// The sub-folder below ("a/b") of top, reached from top one folder at a time: nothing when any
// folder on the way is a link, no folder, or has something mounted on it.
std::optional<HeldFolder> HoldSubFolder(const std::string& top, std::string_view below);

// A path that keeps its meaning for a later start of the program: one reached through a held
// folder as the system names that folder now; any other as it is.
std::string LastingPath(const std::string& path);

} // namespace lp::platform
