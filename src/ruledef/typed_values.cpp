#include "typed_values.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <charconv>
#include <string>

namespace lp {

std::optional<std::int32_t> parseWholeNumber(const QString& text) {
    std::string bytes = text.toStdString();
    std::size_t start = 0;
    if (!bytes.empty() && bytes[0] == '+')
        start = 1; // from_chars takes a minus but not a plus
    if (start < bytes.size() && bytes[start] == '-' && start == 1)
        return std::nullopt; // "+-5"
    const char* first = bytes.data() + start;
    const char* last = bytes.data() + bytes.size();
    if (first == last)
        return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

StoredExtensions storedExtensions(const QString& typed) {
    StoredExtensions result;
    QStringList pieces = typed.split(QLatin1Char(';'));
    for (QString& piece : pieces) {
        if (piece.startsWith(QLatin1String("*.")))
            piece.remove(0, 2);
        else if (piece.startsWith(QLatin1Char('.')))
            piece.remove(0, 1);
        for (const QChar never :
             {QLatin1Char('.'), QLatin1Char('/'), QLatin1Char('*'), QLatin1Char('?')})
            if (piece.contains(never) && result.refusal.isEmpty())
                result.refusal = QStringLiteral("The extension \"%1\" can never match: an "
                                                "extension is the text after the last dot of a "
                                                "name, compared as it stands, without * or ?.")
                                     .arg(piece);
    }
    // A stray ";" would be stored as it stands and add nothing: it is left out.
    if (pieces.size() > 1)
        pieces.removeAll(QString());
    result.stored = pieces.join(QLatin1Char(';'));
    return result;
}

bool holdsLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool blanksOnly(const QString& text) {
    return !text.isEmpty() && text.trimmed().isEmpty();
}

bool sameFolder(const QString& first, const QString& second) {
    if (first.isEmpty() || second.isEmpty())
        return false;
    const QFileInfo one(QDir::cleanPath(first));
    const QFileInfo other(QDir::cleanPath(second));
    if (one.exists() && other.exists())
        return one.canonicalFilePath() == other.canonicalFilePath();
    return QDir::cleanPath(one.absoluteFilePath()) == QDir::cleanPath(other.absoluteFilePath());
}

QString startFolderFor(const QString& typed) {
    if (QDir::isAbsolutePath(typed) && QFileInfo(typed).isDir())
        return typed;
    return QDir::homePath();
}

} // namespace lp
