#pragma once
// The pieces of the one-instance-per-user guard that need the system: a lock that the system
// drops when its holder ends, however it ends, and a folder only its owner may enter.

#include <optional>
#include <string>
#include <vector>

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
    // Failed when the file cannot be opened or locked, or is not a plain file of the user's own
    // (another user could hold or swap what is not ours); error() then tells why.
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

// The folders of this user's instance guard, without trailing separators: an instance holds the
// lock in each of them that can serve, and another instance of the user finds one of them held.
// They follow from what the system knows of the user alone, never from the environment
// ($XDG_RUNTIME_DIR, $HOME, $USER), so that every start of one user's (from the desktop, cron, su
// or sudo -u) meets the same guard: .cache/Larchpost in the home the password database gives,
// always, so that a start before the user's runtime folder exists (cron before log-in) and one
// after it meet there; and the runtime folder /run/user/<uid> when the system has made it, the
// only one when the home cannot be written. On Windows Larchpost in the user's local application
// data folder. Empty when there is none. MakePrivateFolder prepares each.
std::vector<std::string> InstanceGuardFolders();

} // namespace lp::platform
