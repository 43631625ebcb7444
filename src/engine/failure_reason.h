#pragma once
// Why an operation failed, in words for the activity log, the Activity window and the verbose
// output: Larchpost's own words where it knows the cause better than the system's error does,
// the system's error text otherwise.

#include "sorting_policy.h"

#include <string>
#include <string_view>
#include <system_error>

namespace lp {

inline constexpr std::string_view kFolderMissing = "the destination folder is missing";
inline constexpr std::string_view kNameTakenLeft =
    "the name is taken and the name-clash choice is 'leave'";
inline constexpr std::string_view kOntoItself = "the destination is the file itself";
inline constexpr std::string_view kFileInUse = "the file is in use";
inline constexpr std::string_view kFileGone = "the file is gone";
inline constexpr std::string_view kNoTrash = "there is no trash";
// A pipe, a device or a socket is never opened (opening some has side effects, a pipe waits for
// a writer), so it is never copied, nor moved to another file system.
inline constexpr std::string_view kNeverCopied = "a pipe, device or socket is never copied";
// Sort Now acts only on a file as its preview showed it: its size, last-write time or identity
// differ since.
inline constexpr std::string_view kChangedSincePreview = "the file changed since the preview";
// Sort Now leaves a file that the cycles took up as new after its preview: their rules are the
// folder's rules, so it would be sorted twice (a second copy, a second launch).
inline constexpr std::string_view kSortedSincePreview = "the file was sorted since the preview";
// A copy stopped because the program ended: its source stays where it was, nothing is left
// behind, and the next start tries it again.
inline constexpr std::string_view kStoppedAtEnd = "stopped at the program's end";
// An operation the program could not end itself (it was killed, the machine lost power), found
// undone at the next start: the file is back where it was, and that start sorts it again.
inline constexpr std::string_view kEndedMidway = "the program ended before the operation was done";
// A rule deletes (or trashes) a file it copied only while the file is as it was copied: bytes
// written since would be in neither place.
inline constexpr std::string_view kChangedSinceCopy = "the file changed after it was copied";
// A rename whose new name, made from this file, comes out empty (a name of "{ext}" for a file
// without an extension): the file keeps its name.
inline constexpr std::string_view kNoNewName = "the new name made from the file is empty";
// A folder made from the file was replaced by a link or a mount before the file went in.
inline constexpr std::string_view kMadeFolderGone =
    "a folder made for the file is a link or a mount now";
// A sub-folder of the watched tree that a file lies in was swapped for a link or had something
// mounted on it since it was listed: the file is tried again later.
inline constexpr std::string_view kSubFolderGone =
    "a folder the file lies in is a link or a mount now";
// A later action of a rule finds another file where an earlier one put this one (its folder was
// replaced meanwhile): the other file is left alone.
inline constexpr std::string_view kAnotherFileThere = "another file stands where the file was put";

// Why a copy or move of source to destination, under clash, failed with error (that of its last
// attempt). Looks at the disk only when it failed: whether the destination's folder is there,
// whether the destination is the source itself.
std::string TransferFailureReason(std::error_code error, const std::string& source,
                                  const std::string& destination, NameClash clash);

// Why another operation failed with error: in use, or the system's text.
std::string FailureReason(std::error_code error);

} // namespace lp
