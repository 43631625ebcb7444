#include "platform/file_operations.h"
#include "platform/copy_watch.h"
#include "platform/held_folder.h"
#include "platform/move_journal.h"

#include "file_descriptor.h"
#include "link_move.h"
#include "pending_file.h"
#include "posix_support.h"
#include "source_claim.h"
#include "sparse_copy.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {

namespace {

// What a rename within one file system keeps: the file, its size and its times.
FileIdentity identityOf(const struct stat& status) {
    constexpr std::int64_t kNsPerSecond = 1'000'000'000;
    return {static_cast<std::uint64_t>(status.st_size),
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * kNsPerSecond +
                status.st_mtim.tv_nsec,
            static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

using posix::FileDescriptor;
using posix::folderOf;
using posix::lastError;
using posix::sameFile;

std::error_code sameFileRefused() {
    return std::make_error_code(std::errc::file_exists);
}
std::error_code changedMeanwhile() {
    return std::make_error_code(std::errc::resource_unavailable_try_again);
}
std::error_code occupied() {
    return std::make_error_code(std::errc::file_exists);
}
std::error_code ontoItself() {
    return std::make_error_code(std::errc::invalid_argument);
}
// Device nodes, pipes and sockets are never opened: opening some devices has side effects.
std::error_code notARegularFile() {
    return std::make_error_code(std::errc::invalid_argument);
}

// What tells that a file is still the one we started from: same file, same size, same
// modification and change times.
bool unchanged(const struct stat& before, const struct stat& after) {
    return sameFile(before, after) && before.st_size == after.st_size &&
           before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec &&
           before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
           before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
}

// Opens the regular file expected, by path, and checks that the descriptor is that very file:
// the path may have been given to something else between the look and the open.
std::error_code openExpected(const std::string& path, const struct stat& expected, int flags,
                             FileDescriptor& in, struct stat& opened) {
    // Never blocks on a pipe or device that has taken the file's place.
    in.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | flags));
    if (in.get() < 0)
        return lastError();
    if (::fstat(in.get(), &opened) != 0)
        return lastError();
    if (!S_ISREG(opened.st_mode) || !sameFile(opened, expected))
        return changedMeanwhile();
    const int status = ::fcntl(in.get(), F_GETFL);
    ::fcntl(in.get(), F_SETFL, status & ~O_NONBLOCK);
    return {};
}

// Writes the content, permission bits and last-write time of the open source into a new file in
// folder, made durable; fails when the source changed while it was read.
std::error_code writeCopy(int in, const struct stat& source, const std::string& folder,
                          const JournalRecord& record, posix::PendingFile& copy) {
    if (auto error = copy.open(folder, CopyPath(record)))
        return error;
    const CopyUnderWay underWay(record.source, record.destination,
                                record.kind != JournalKind::Copy);
    if (auto error = posix::CopySparseContent(in, copy.fd(), source.st_size))
        return error;
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (::fchmod(copy.fd(), source.st_mode & 07777) != 0 || ::futimens(copy.fd(), times) != 0 ||
        ::fsync(copy.fd()) != 0)
        return lastError();
    struct stat after {};
    if (::fstat(in, &after) != 0)
        return lastError();
    if (!unchanged(source, after))
        return changedMeanwhile();
    return {};
}

// Refuses a move whose destination is the source itself under another path (a hard link, a
// bind mount, a link to it) or, for a link, a file the link leads to: the move would destroy
// the only copy. A destination folder is refused as well.
std::error_code refuseMoveOntoItself(const std::string& source, const struct stat& sourceStatus,
                                     const std::string& destination) {
    struct stat target {};
    if (::lstat(destination.c_str(), &target) != 0)
        return {}; // nothing there to lose; the move itself reports what is wrong
    if (S_ISDIR(target.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (sameFile(target, sourceStatus))
        return sameFileRefused();
    if (S_ISLNK(sourceStatus.st_mode))
        return posix::LinkLeadsTo(source, target) ? sameFileRefused() : std::error_code();
    struct stat resolved {};
    if (S_ISLNK(target.st_mode) && ::stat(destination.c_str(), &resolved) == 0 &&
        sameFile(resolved, sourceStatus))
        return sameFileRefused();
    return {};
}

// A move across file systems: the copy is complete and durable before the source goes, and the
// delete reaches only the file that was copied. The journal names the copy's temporary name, the
// name the source has while it is taken and the one a replaced file is kept under, so that a kill
// at any moment can be set right.
std::error_code moveByCopy(const std::string& source, const struct stat& sourceStatus,
                           const std::string& destination, bool replace, struct stat& placed) {
    FileDescriptor in;
    struct stat opened {};
    if (auto error = openExpected(source, sourceStatus, O_NOFOLLOW, in, opened))
        return error;
    JournalEntry journal(JournalKind::Move, LastingPath(source), LastingPath(destination),
                         static_cast<std::uint64_t>(opened.st_size), posix::modifiedNs(opened));
    posix::PendingFile copy;
    if (auto error = writeCopy(in.get(), opened, folderOf(destination), journal.record(), copy))
        return error;
    // The copy as it is placed: read at its name afterwards, it could be another file by then.
    if (::fstat(copy.fd(), &placed) != 0)
        placed = {};
    posix::SourceClaim claim;
    if (auto error = claim.claim(source, opened, ClaimPath(journal.record()))) {
        if (claim.held())
            journal.keep();
        return error;
    }
    // The file the copy replaces is kept under a second name of ours until the source is gone,
    // so that a move that fails after its copy took the place puts it back. Where the file
    // system gives no second names, it is not kept, and the copy then stays in its place.
    const std::string kept = KeptPath(journal.record());
    struct stat there {};
    const bool replacing = replace && ::lstat(destination.c_str(), &there) == 0;
    bool keptAside =
        replacing && ::linkat(AT_FDCWD, destination.c_str(), AT_FDCWD, kept.c_str(), 0) == 0;
    std::error_code error = replace ? copy.placeAt(destination) : copy.placeWhereFree(destination);
    if (error) {
        claim.giveBack(); // both stay
    } else {
        posix::syncFolder(folderOf(destination));
        error = claim.remove();
        // The source was written to after it was copied: the copy, an older version, is taken
        // away again while it is still the one put there, and the file it replaced is back in
        // its place; only then does the source have its name back.
        if (error == std::errc::resource_unavailable_try_again) {
            if (::lstat(destination.c_str(), &there) == 0 && sameFile(there, placed)) {
                if (keptAside && ::rename(kept.c_str(), destination.c_str()) != 0)
                    journal.keep(); // the kept file stays for the next start to put back
                else if (!replacing)
                    ::unlink(destination.c_str());
                keptAside = false;
            }
            if (auto notBack = claim.giveBack())
                error = notBack;
        }
    }
    if (keptAside)
        ::unlink(kept.c_str());
    if (claim.held())
        journal.keep();
    return error;
}

// A copy copies what a link points at; without replace, nothing at destination is replaced.
std::error_code copyFile(const std::string& source, const std::string& destination, bool replace) {
    struct stat sourceStatus {};
    if (::stat(source.c_str(), &sourceStatus) != 0)
        return lastError();
    if (S_ISDIR(sourceStatus.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(sourceStatus.st_mode))
        return notARegularFile();
    struct stat target {};
    if (::stat(destination.c_str(), &target) == 0) {
        if (sameFile(sourceStatus, target))
            return replace ? sameFileRefused() : ontoItself();
        if (replace && S_ISDIR(target.st_mode))
            return std::make_error_code(std::errc::is_a_directory);
    }
    // Not worth copying when the name is taken already; the placing below still decides.
    if (!replace && ::lstat(destination.c_str(), &target) == 0)
        return occupied();
    FileDescriptor in;
    struct stat opened {};
    if (auto error = openExpected(source, sourceStatus, 0, in, opened))
        return error;
    const JournalEntry journal(JournalKind::Copy, LastingPath(source), LastingPath(destination),
                               static_cast<std::uint64_t>(opened.st_size),
                               posix::modifiedNs(opened));
    posix::PendingFile copy;
    if (auto error = writeCopy(in.get(), opened, folderOf(destination), journal.record(), copy))
        return error;
    return replace ? copy.placeAt(destination) : copy.placeWhereFree(destination);
}

// Moves a file that is neither a folder nor a link without replacing anything. What stands at the
// destination is looked at only when the rename finds the name taken, or before a copy across
// file systems, which is not worth making when the name is taken already.
std::error_code moveEntryWhereFree(const std::string& source, const struct stat& status,
                                   const std::string& destination, bool& renamed,
                                   struct stat& placed) {
    const std::error_code notRenamed = posix::renameNoReplace(source, destination);
    renamed = !notRenamed;
    if (renamed)
        return {};
    const bool taken = notRenamed == std::errc::file_exists;
    if (notRenamed != std::errc::cross_device_link && !taken)
        return notRenamed;
    struct stat target {};
    if (::lstat(destination.c_str(), &target) == 0)
        return sameFile(status, target) ? ontoItself() : occupied();
    if (taken)
        return occupied(); // gone again since; the rename found the name taken
    if (errno != ENOENT)
        return lastError();
    if (!S_ISREG(status.st_mode))
        return notARegularFile();
    return moveByCopy(source, status, destination, false, placed);
}

} // namespace

std::error_code CopyFileReplacing(const std::string& source, const std::string& destination) {
    return copyFile(source, destination, true);
}

std::error_code CopyFileNoReplace(const std::string& source, const std::string& destination) {
    return copyFile(source, destination, false);
}

namespace {

// The identity a move left: the source's, read before it, when the entry was renamed; the copy's
// as it was placed, for a copy across file systems; else (a link made anew) read at its new place.
void noteMoved(const std::string& destination, const struct stat& status, bool renamed,
               std::optional<FileIdentity>* moved, const struct stat& placed) {
    if (moved == nullptr)
        return;
    if (renamed)
        *moved = identityOf(status);
    else if (placed.st_ino != 0)
        *moved = identityOf(placed);
    else
        *moved = IdentifyFile(destination);
}

std::error_code moveNoReplace(const std::string& source, const std::string& destination,
                              std::optional<FileIdentity>* moved) {
    struct stat status {};
    if (::lstat(source.c_str(), &status) != 0)
        return lastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (S_ISLNK(status.st_mode)) {
        // Only to tell the source itself from another file; the move itself never replaces.
        struct stat target {};
        if (::lstat(destination.c_str(), &target) == 0)
            return sameFile(status, target) ? ontoItself() : occupied();
        if (auto error = posix::MoveLink(source, status, destination, false))
            return error;
        noteMoved(destination, status, false, moved, {});
        return {};
    }
    bool renamed = false;
    struct stat placed {};
    if (auto error = moveEntryWhereFree(source, status, destination, renamed, placed))
        return error;
    noteMoved(destination, status, renamed, moved, placed);
    return {};
}

std::error_code moveReplacing(const std::string& source, const std::string& destination,
                              std::optional<FileIdentity>* moved) {
    struct stat status {};
    if (::lstat(source.c_str(), &status) != 0)
        return lastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    // Where nothing stands at the destination, nothing there can be the source, and the rename
    // alone does the move. A link may need a new target instead.
    if (!S_ISLNK(status.st_mode)) {
        if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(),
                        RENAME_NOREPLACE) == 0) {
            noteMoved(destination, status, true, moved, {});
            return {};
        }
        if (errno != EEXIST && errno != EXDEV && errno != EINVAL && errno != ENOSYS)
            return lastError();
    }
    if (auto error = refuseMoveOntoItself(source, status, destination))
        return error;
    std::error_code error;
    bool renamed = false;
    struct stat placed {};
    if (S_ISLNK(status.st_mode))
        error = posix::MoveLink(source, status, destination, true);
    else if (::rename(source.c_str(), destination.c_str()) == 0)
        renamed = true;
    else if (errno != EXDEV)
        error = lastError();
    else if (!S_ISREG(status.st_mode))
        error = notARegularFile();
    else
        error = moveByCopy(source, status, destination, true, placed);
    if (!error)
        noteMoved(destination, status, renamed, moved, placed);
    return error;
}

} // namespace

std::error_code MoveFileNoReplace(const std::string& source, const std::string& destination) {
    return moveNoReplace(source, destination, nullptr);
}

std::error_code MoveFileReplacing(const std::string& source, const std::string& destination) {
    return moveReplacing(source, destination, nullptr);
}

std::error_code MoveFileNoReplace(const std::string& source, const std::string& destination,
                                  std::optional<FileIdentity>& moved) {
    return moveNoReplace(source, destination, &moved);
}

std::error_code MoveFileReplacing(const std::string& source, const std::string& destination,
                                  std::optional<FileIdentity>& moved) {
    return moveReplacing(source, destination, &moved);
}

std::error_code DeleteFileEntry(const std::string& path) {
    // A link is removed itself; what it points at stays.
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0)
        return lastError();
    if (S_ISDIR(status.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (::unlink(path.c_str()) != 0)
        return lastError();
    return {};
}

} // namespace lp::platform
