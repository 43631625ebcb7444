#include "autostart_entry.h"

#include <QCoreApplication>

namespace lp {

QString executablePath() {
    return QCoreApplication::applicationFilePath();
}

void bringRunEntryInLine(bool autoStart, const QString& executable, const MessageSink& onError) {
    // A failed write is reported once: the second write would fail the same way.
    Problem error;
    const std::string value = readRunEntry();
    if (!value.empty() && value.find("startup") == std::string::npos)
        error = writeRunEntry(executable);
    if (autoStart && !error)
        error = writeRunEntry(executable);
    if (error && onError)
        onError(*error);
}

} // namespace lp
