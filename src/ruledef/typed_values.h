#pragma once
// Checks of what the user typed into a parameter dialog.

#include <QString>

#include <cstdint>
#include <optional>

namespace lp {

// A signed decimal whole number that fits 32 bits: an optional sign and digits, nothing else.
std::optional<std::int32_t> parseWholeNumber(const QString& text);

// The configuration file keeps one value a line, so a typed value cannot hold a line break.
bool holdsLineBreak(const QString& text);

// Whether a typed name holds nothing but blanks (spaces, tabs), so that it would show as empty.
bool blanksOnly(const QString& text);

// Whether two folder paths name the same folder: followed through links where both exist,
// compared as cleaned absolute paths otherwise.
bool sameFolder(const QString& first, const QString& second);

// Where a folder picker opens for a field: the folder the field names when it exists, else the
// user's home folder.
QString startFolderFor(const QString& typed);

// What a typed extension list is stored as: each piece without the "*." or "." typed before it
// ("*.pdf;.jpg" is stored as "pdf;jpg"). refusal is set when a piece can never match, since an
// extension is the text after a name's last dot and compares without wildcards.
struct StoredExtensions {
    QString stored;
    QString refusal;
};
StoredExtensions storedExtensions(const QString& typed);

inline const char* const kLineBreakRefusal = "Line breaks are not allowed here.";

} // namespace lp
