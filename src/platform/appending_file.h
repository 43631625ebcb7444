#pragma once
// A file that is only ever added to at its end, kept open between additions: each addition is one
// write at the end of the file, so a program killed at any moment leaves every earlier addition
// whole in the file. Nothing is forced to the disk: the system keeps what was written even when
// the program dies.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace lp::platform {

class AppendingFile {
public:
    AppendingFile() = default;
    ~AppendingFile();
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    // Opens the file at path for adding to it, made readable and writable by the user alone when
    // it is new. A file open before is closed first. Whatever stands at path and is not a file of
    // its own (a link, a second name of another file, a pipe) gives its name to a new, empty file.
    std::error_code open(const std::string& path);
    bool isOpen() const;
    void close();

    // Takes the file for this process alone, without waiting: false when another process holds
    // it. Held until the file is closed.
    bool lockForThisProcess();

    // Writes bytes at the end of the file in one write; every byte or the error.
    std::error_code append(std::string_view bytes);
    // The file's size when path still names the open file (it may have been renamed, removed or
    // replaced meanwhile); nothing otherwise. What this writer added is always counted, other
    // writers' additions at the latest by every sixteenth call. Where the system can watch the
    // file and the folders above it, path is looked at only when the watch saw one of them
    // renamed, removed or changed, and at that same rate; elsewhere it is looked at every time.
    std::optional<std::uint64_t> sizeIfAt(const std::string& path) const;
    // Empties the file.
    std::error_code truncate();
    // The whole content, read from its start.
    std::error_code readAll(std::string& content) const;

private:
    std::intptr_t handle_ = -1;
    std::uint64_t device_ = 0; // what identifies the open file, read as it was opened
    std::uint64_t index_ = 0;
    // What tells, without a look at path, that path may no longer name the file: -1 until the
    // first sizeIfAt, -2 where there is none. Set up by sizeIfAt, given back by close.
    mutable std::intptr_t pathWatch_ = -1;
    mutable std::intptr_t mountWatch_ = -1; // tells of file systems mounted over the path
    mutable bool pathConfirmed_ = false;    // path named the file at the last look, watched since
    mutable std::uint64_t knownSize_ = 0;   // at the last look, with this writer's additions since
    mutable unsigned looksSaved_ = 0;
};

} // namespace lp::platform
