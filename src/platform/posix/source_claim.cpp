#include "source_claim.h"

#include "platform/file_in_use.h"
#include "posix_support.h"

#include <cerrno>
#include <unistd.h>

namespace lp::platform::posix {

namespace {

bool stillTheCopiedFile(const struct stat& now, const struct stat& copied) {
    // Renaming changes the change time, so it cannot take part here.
    return sameFile(now, copied) && now.st_size == copied.st_size &&
           now.st_mtim.tv_sec == copied.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == copied.st_mtim.tv_nsec;
}

} // namespace

std::error_code SourceClaim::claim(const std::string& source, const struct stat& copied,
                                   const std::string& privateName) {
    source_ = source;
    copied_ = copied;
    if (const std::error_code error = renameNoReplace(source, privateName))
        return error;
    privateName_ = privateName;
    struct stat now {};
    if (::lstat(privateName_.c_str(), &now) != 0 || !stillTheCopiedFile(now, copied)) {
        if (auto error = giveBack())
            return error;
        return std::make_error_code(std::errc::resource_unavailable_try_again);
    }
    // From here on the change time tells a write apart: the write time alone may have been put
    // back by a program that keeps a file's date as it changes its bytes.
    claimedChange_ = now.st_ctim;
    return {};
}

std::error_code SourceClaim::remove() {
    struct stat now {};
    if (::lstat(privateName_.c_str(), &now) == 0 &&
        (!stillTheCopiedFile(now, copied_) || now.st_ctim.tv_sec != claimedChange_.tv_sec ||
         now.st_ctim.tv_nsec != claimedChange_.tv_nsec ||
         // A program that opened it for writing since it was copied (a download going on) would
         // write on into the removed file, and its bytes would be nowhere.
         ListedFileOpenForWriting(privateName_)))
        return std::make_error_code(std::errc::resource_unavailable_try_again);
    if (::unlink(privateName_.c_str()) != 0)
        return lastError();
    privateName_.clear();
    return {};
}

std::error_code SourceClaim::giveBack() {
    if (const std::error_code error = renameNoReplace(privateName_, source_))
        return error;
    privateName_.clear();
    return {};
}

} // namespace lp::platform::posix
