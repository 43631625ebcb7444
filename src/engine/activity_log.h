#pragma once
// The activity log: every operation a sorting cycle carries out, one line each (see
// activity_entry.h), appended to a file that is kept to about a megabyte, with the four older
// files beside it as activity.log.1 (the newest of them) to activity.log.4. Each line reaches the
// file in one write as soon as it is appended, so a program killed at any moment loses at most
// the line of the operation it was carrying out. Writing it never holds up or stops sorting: a
// log that cannot be written is said once on standard error and otherwise passed over.

#include "activity_entry.h"
#include "globals/message_sink.h"
#include "platform/appending_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace lp {

class ActivityLog {
public:
    static constexpr std::uintmax_t kRotationSize = std::uintmax_t{1024} * 1024;
    static constexpr int kOlderFiles = 4;

    // The log at path. say hears what went wrong with it (the core's warnings when not given); a
    // log is rotated when a write would take it past rotationSize bytes.
    explicit ActivityLog(std::string path, MessageSink say = {},
                         std::uintmax_t rotationSize = kRotationSize);
    ActivityLog(const ActivityLog&) = delete;
    ActivityLog& operator=(const ActivityLog&) = delete;

    // Writes the entry's line in one write, rotating the files first when they would grow too
    // large; an entry without a time gets the current one. A failure that was written last time
    // for the same operation (the same folder, rule, verb and file) is not written again until
    // that operation has succeeded or failed differently.
    void append(ActivityEntry entry);

    const std::string& path() const { return path_; }

    // <user state folder>/Larchpost/activity.log; empty when there is no user state folder.
    static std::string DefaultPath();

private:
    // Whether the entry repeats the failure last written for its operation; remembers it.
    bool repeatsFailure(const ActivityEntry& entry);
    // Forgets the failures of files that are no longer there, once the memory has doubled since
    // the last time: it stays as large as the failing files that still exist, at little cost.
    void forgetVanishedFailures();
    void write(const std::string& line);
    // Opens the file for appending when it is not open, or no longer the one at path_ (another
    // writer rotated it away); its size, or nothing, said, when it cannot be opened.
    std::optional<std::uintmax_t> openFile();
    void rotate();
    void complain(const std::string& what);

    std::string path_;
    MessageSink say_;
    std::uintmax_t rotationSize_;
    platform::AppendingFile file_; // the file at path_, kept open
    struct Failure {
        std::string line;               // the operation line last written, with its reason
        std::vector<std::string> files; // what it acted on; forgotten when none is there
    };
    std::unordered_map<std::string, Failure> failures_; // by operation
    std::size_t forgetAt_ = kFailuresKept;              // the size that has them looked at again
    static constexpr std::size_t kFailuresKept = 1024;
    static constexpr int kOpenAttempts = 3;
    bool complained_ = false; // said that the log cannot be written, and not written since
};

// The files of the log at path that exist, the oldest first and path itself (the newest) last.
std::vector<std::string> ActivityLogFiles(const std::string& path);

} // namespace lp
