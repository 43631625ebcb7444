#pragma once
// Taking a move's source away from its name before it is deleted, so that the delete can only
// ever reach the very file that was copied: a file another program renames over the source in
// the meantime is never deleted in its place.

#include <string>
#include <sys/stat.h>
#include <system_error>

namespace lp::platform::posix {

class SourceClaim {
public:
    // Renames source to privateName, a name of ours in its own folder, and checks that what now
    // bears that name is still copied: the same file, size and write time. Anything else is put
    // back.
    std::error_code claim(const std::string& source, const struct stat& copied,
                          const std::string& privateName);
    // Deletes the claimed file, while it is still as copied and no program has it open for
    // writing. One written to since, or open for writing now, stays claimed, and the error is
    // resource_unavailable_try_again: the caller takes back what it made of the older version
    // before it gives the file its name back, so that a start after a kill finds the file claimed
    // wherever that copy may still stand.
    std::error_code remove();
    // Gives the claimed file its name back, unless a new file has taken that name meanwhile
    // (then the claimed one keeps the private name rather than replace it, and the next start
    // gives it a name beside the new file).
    std::error_code giveBack();
    // Whether the source still bears the private name.
    bool held() const { return !privateName_.empty(); }

private:
    std::string source_;
    std::string privateName_;
    struct stat copied_ {};
    timespec claimedChange_{}; // the change time right after the claim
};

} // namespace lp::platform::posix
