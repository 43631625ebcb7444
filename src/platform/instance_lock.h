#pragma once
// The pieces of the one-instance-per-user guard that need the system: a lock that the system
// drops when its holder ends, however it ends, and a folder only its owner may enter.

#include <optional>
#include <string>

namespace lp::platform {

// An exclusive lock on a file kept open for as long as this object lives. The lock belongs to the
// open file, so a killed holder can never leave it behind; the file itself stays and is reused.
class ExclusiveFileLock {
public:
    enum class Attempt { Taken, HeldElsewhere, Failed };

    ExclusiveFileLock() = default;
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    // Opens path (creating it, readable and writable by the user only) and takes the lock without
    // waiting. Another open of the same file, in this process or any other, finds it held.
    // Failed when the file cannot be opened or locked; error() then tells why.
    Attempt tryLock(const std::string& path);
    bool held() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

// Creates folder (and the folders above it) when missing; the folder itself gets mode 0700. An
// existing folder of the user's is narrowed to 0700. Returns why the folder cannot serve, when it
// is not a folder, belongs to another user or cannot be made private; nothing when it can. On
// Windows the folder, in the user's profile, keeps others out by the access list it inherits, and
// a link or junction in its place does not serve.
std::optional<std::string> MakePrivateFolder(const std::string& folder);

// The user's cache folder without a trailing separator: $XDG_CACHE_HOME when it is an absolute
// path, otherwise $HOME/.cache (on Windows %LOCALAPPDATA%); empty when neither can be found.
std::string UserCacheFolder();

} // namespace lp::platform
