// The auto-start entry as the desktop's auto-start file.

#include "desktop/autostart_entry.h"

#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

namespace lp {

namespace {

constexpr char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";

// A desktop file's value escapes: a backslash, a line break, a tab and a carriage return.
std::string escapeValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeValue(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += text[i];
        }
    }
    return out;
}

std::string failure(const char* what, const QString& path, const std::error_code& error) {
    return std::string("Unable to ") + what + " the auto-start file " + path.toStdString() + ": " +
           error.message() + ".";
}

} // namespace

QString autoStartCaption() {
    return QStringLiteral("Start Larchpost when I log in");
}

QString autostartFilePath() {
    // $XDG_CONFIG_HOME when set to an absolute path, otherwise ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/Larchpost.desktop");
}

std::string quoteExecArgument(const std::string& executable) {
    std::string quoted;
    const bool needsQuotes =
        executable.empty() || executable.find_first_of(kReserved) != std::string::npos;
    for (const char c : executable) {
        if (c == '%') {
            quoted += "%%"; // a lone "%" would start a field code
            continue;
        }
        if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
    }
    return needsQuotes ? "\"" + quoted + "\"" : quoted;
}

std::string runEntryCommand(const QString& executable) {
    return quoteExecArgument(executable.toStdString()) + " startup";
}

std::string readRunEntry() {
    QFile file(autostartFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const std::string line = file.readLine().trimmed().toStdString();
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry || line.rfind("Exec", 0) != 0)
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || line.find_first_not_of(" \t", 4) != equals)
            continue;
        const std::size_t start = line.find_first_not_of(" \t", equals + 1);
        return start == std::string::npos ? std::string() : unescapeValue(line.substr(start));
    }
    return {};
}

Problem writeRunEntry(const QString& executable) {
    const QString path = autostartFilePath();
    std::error_code error;
    std::filesystem::create_directories(QFileInfo(path).absolutePath().toStdString(), error);
    if (error)
        return failure("write", path, error);
    const std::string content = "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=Larchpost\n"
                                "Comment=Sorts the files arriving in watched folders\n"
                                "Exec=" +
                                escapeValue(runEntryCommand(executable)) +
                                "\n"
                                "Icon=larchpost\n"
                                "Terminal=false\n"
                                "X-GNOME-Autostart-enabled=true\n";
    error = platform::WriteFileAtomically(path.toStdString(), content);
    if (error)
        return failure("write", path, error);
    return std::nullopt;
}

Problem removeRunEntry() {
    const QString path = autostartFilePath();
    std::error_code error;
    std::filesystem::remove(path.toStdString(), error);
    if (error)
        return failure("remove", path, error);
    return std::nullopt;
}

} // namespace lp
