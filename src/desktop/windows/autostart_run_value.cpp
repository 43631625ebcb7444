// The auto-start entry on Windows: the value "Larchpost" under the user's Run key, which starts
// the program hidden at logon. The user's own Run key, as an ordinary user may not write the
// machine's.

#include "desktop/autostart_entry.h"

#include <QDir>
#include <QSettings>

namespace lp {

namespace {

constexpr char kRunKey[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kValueName[] = "Larchpost";

Problem failure(const char* what, const QSettings& run) {
    if (run.status() == QSettings::NoError)
        return std::nullopt;
    return std::string("Unable to ") + what + " the value " + kValueName + " under " + kRunKey +
           ".";
}

} // namespace

QString autoStartCaption() {
    // The caption the program has always shown on Windows, letter for letter.
    return QStringLiteral("Auto-Start Brindlebox on Windows Startup");
}

QString autostartFilePath() {
    return QString::fromLatin1(kRunKey) + QLatin1Char('\\') + QLatin1String(kValueName);
}

std::string quoteExecArgument(const std::string& executable) {
    // A Windows file name cannot hold a double quotation mark, so quoting is always safe.
    return "\"" + executable + "\"";
}

std::string runEntryCommand(const QString& executable) {
    return quoteExecArgument(QDir::toNativeSeparators(executable).toStdString()) + " startup";
}

std::string readRunEntry() {
    const QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    return run.value(QLatin1String(kValueName)).toString().toStdString();
}

Problem writeRunEntry(const QString& executable) {
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.setValue(QLatin1String(kValueName), QString::fromStdString(runEntryCommand(executable)));
    run.sync();
    return failure("write", run);
}

Problem removeRunEntry() {
    QSettings run(QString::fromLatin1(kRunKey), QSettings::NativeFormat);
    run.remove(QLatin1String(kValueName));
    run.sync();
    return failure("remove", run);
}

} // namespace lp
