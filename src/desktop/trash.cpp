#include "trash.h"
#include "platform/entry_status.h"
#include "platform/file_operations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace lp {

namespace {

// Makes the user's own trash, $XDG_DATA_HOME/Trash with its files and info folders, readable by
// the user alone. Qt falls back to it where a drive has no trash of its own, and where it cannot
// be made at all Qt would put the file into the current folder instead.
bool homeTrashReady() {
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    const QDir dir(trash);
    for (const char* part : {"files", "info"}) {
        const QString path = dir.filePath(QString::fromLatin1(part));
        if (!QFileInfo(path).isDir() && !QDir().mkpath(path))
            return false;
    }
    QFile(trash).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                QFileDevice::ExeOwner);
    return true;
}

} // namespace

std::error_code MoveToTrash(const std::string& path) {
    const platform::EntryStatus status = platform::ExamineEntry(path);
    if (!status.exists)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (status.isFolder)
        return std::make_error_code(std::errc::is_a_directory);
    if (!homeTrashReady())
        return std::make_error_code(std::errc::permission_denied);
    // File names are bytes; decodeName keeps every one of them, valid text or not.
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    QString inTrash;
    if (!QFile::moveToTrash(name, &inTrash))
        return std::make_error_code(std::errc::io_error);
    // A trash that Qt could not establish after all leaves the file below the current folder:
    // it goes back where it was.
    if (QFileInfo(inTrash).isRelative()) {
        platform::MoveFileNoReplace(QFile::encodeName(inTrash).toStdString(), path);
        return std::make_error_code(std::errc::io_error);
    }
    return {};
}

} // namespace lp
