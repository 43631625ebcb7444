#include "help_file.h"

#include <QDir>
#include <QFileInfo>

namespace lp {

namespace {

constexpr char kHelpName[] = "larchpost.hlp";

bool isFile(const QString& path) {
    return QFileInfo(path).isFile();
}

} // namespace

HelpFileLookup findHelpFile(const std::string& applicationFolder, bool applicationFolderWritable) {
    const QString folder = QString::fromStdString(applicationFolder);
    const QString beside = QFileInfo(folder + QLatin1String(kHelpName)).absoluteFilePath();
    if (isFile(beside))
        return {beside, true};
    if (applicationFolderWritable)
        return {beside, false};
    const QString installed =
        QDir::cleanPath(QFileInfo(folder).absoluteFilePath() +
                        QStringLiteral("/../share/larchpost/") + QLatin1String(kHelpName));
    return {installed, isFile(installed)};
}

} // namespace lp
