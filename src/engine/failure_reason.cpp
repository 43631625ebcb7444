#include "failure_reason.h"
#include "platform/entry_status.h"
#include "platform/path_separator.h"

namespace lp {

namespace {

std::string folderOf(const std::string& path) {
    const auto separator = path.find_last_of(platform::kPathSeparators);
    if (separator == std::string::npos)
        return ".";
    return separator == 0 ? std::string(1, platform::kPathSeparator) : path.substr(0, separator);
}

} // namespace

std::string FailureReason(std::error_code error) {
    // A file another program holds: a sharing violation on Windows, a busy file elsewhere, or
    // one that was written to while it was copied (the platform layer's "try again").
    if (error == std::errc::device_or_resource_busy || error == std::errc::text_file_busy ||
        error == std::errc::resource_unavailable_try_again)
        return std::string(kFileInUse);
    if (!error)
        return {};
    // Copies are stopped only when the program ends, never on a failure of the system.
    if (error == std::errc::operation_canceled)
        return std::string(kStoppedAtEnd);
    return error.message();
}

std::string TransferFailureReason(std::error_code error, const std::string& source,
                                  const std::string& destination, NameClash clash) {
    if (platform::ExamineEntry(folderOf(destination)).leadsTo != platform::PathLeadsTo::Folder)
        return std::string(kFolderMissing);
    const platform::EntryStatus from = platform::ExamineEntry(source);
    if (!from.exists)
        return std::string(kFileGone);
    if (from.sameFileAs(platform::ExamineEntry(destination)))
        return std::string(kOntoItself);
    if (clash == NameClash::Leave && error == std::errc::file_exists)
        return std::string(kNameTakenLeft);
    if (from.leadsTo == platform::PathLeadsTo::Other)
        return std::string(kNeverCopied);
    return FailureReason(error);
}

} // namespace lp
