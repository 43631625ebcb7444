#include "open_document.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace lp {

Problem OpenDocument(const std::string& target) {
    const QString text = QString::fromStdString(target);
    const QFileInfo file(text);
    bool started = false;
    if (!text.isEmpty() && file.isFile() && file.isExecutable())
        started = QProcess::startDetached(file.absoluteFilePath(), {});
    else if (!text.isEmpty())
        started =
            QDesktopServices::openUrl(file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath())
                                                    : QUrl::fromUserInput(text));
    if (started)
        return std::nullopt;
    return "Error starting player program.";
}

} // namespace lp
