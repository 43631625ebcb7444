#include "trash.h"
#include "platform/entry_status.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace lp {

std::error_code MoveToTrash(const std::string& path) {
    const platform::EntryStatus status = platform::ExamineEntry(path);
    if (!status.exists)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (status.isFolder)
        return std::make_error_code(std::errc::is_a_directory);
    // The home trash lives in the user's data folder, which a fresh account may not have yet.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    // File names are bytes; decodeName keeps every one of them, valid text or not.
    QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!file.moveToTrash())
        return std::make_error_code(std::errc::io_error);
    return {};
}

} // namespace lp
