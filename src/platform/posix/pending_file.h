#pragma once
// A copy being written in its destination folder. It has no name until it is complete, so a
// program killed part way leaves nothing behind; where the file system cannot hold a file
// without a name, it is written under the temporary name its operation's journal record gives
// (which the next start removes after a kill). Temporary names of ours older than a day, left by
// earlier versions, are removed from the folders we write into.

#include "file_descriptor.h"

#include <ctime>
#include <string>
#include <system_error>

namespace lp::platform::posix {

// How our temporary copies begin their names.
inline constexpr const char* kCopyPrefix = ".larchpost-copy-";

class PendingFile {
public:
    PendingFile() = default;
    // A file that was never placed is gone.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Opens a new file to write in folder, readable and writable by us alone until the caller
    // gives it its mode. temporaryName, a path in folder, is the name it has while it needs one.
    std::error_code open(const std::string& folder, const std::string& temporaryName);
    int fd() const { return fd_.get(); }
    // Gives the complete file the path destination, which must lie in the folder it was opened
    // in, replacing any file there.
    std::error_code placeAt(const std::string& destination);
    // As placeAt, but when anything stands at destination it fails with file_exists and the
    // file stays unplaced: the kernel decides that as it gives the file the name.
    std::error_code placeWhereFree(const std::string& destination);

private:
    std::error_code nameUnnamedFile();

    FileDescriptor fd_;
    std::string folder_;
    std::string plannedName_;   // the name of ours it takes while it needs one
    std::string temporaryName_; // the path while it has a name of ours
    bool unnamed_ = false;
};

// Removes our temporary copies in folder whose last change is more than a day before now;
// anything else (other names, other owners, folders, links) stays.
void RemoveStaleCopies(const std::string& folder, std::time_t now);

} // namespace lp::platform::posix
