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
    // Also a copy that may write its folder (an installed one run by the administrator) finds
    // the installed file; only the message differs.
    const QString installed =
        QDir::cleanPath(QFileInfo(folder).absoluteFilePath() +
                        QStringLiteral("/../share/larchpost/") + QLatin1String(kHelpName));
    if (isFile(installed))
        return {installed, true};
    return {applicationFolderWritable ? beside : installed, false};
}

} // namespace lp
