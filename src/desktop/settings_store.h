#pragma once
// The per-user settings file that holds what the original kept in the registry: values under key
// paths such as "SOFTWARE/Larchpost" and "Software/Larchpost/Main". Registry key and value names
// ignore letter case, the INI file's do not, so every look-up here matches names without case and
// a write reuses the spelling already in the file.

#include <QSettings>
#include <QString>
#include <QVariant>
#include <optional>

namespace lp {

class SettingsStore {
public:
    // The store in the given INI file (its folder is created on the first write), or with the
    // native format in the system's own store.
    explicit SettingsStore(const QString& filePath,
                           QSettings::Format format = QSettings::IniFormat);

    // The user's own store: <user configuration folder>/Larchpost/settings.ini on Linux, the
    // registry's HKEY_CURRENT_USER on Windows, in the format defaultFormat() names.
    static QString defaultFilePath();
    static QSettings::Format defaultFormat();

    QString filePath() const { return settings_.fileName(); }
    // What the user is told when the file cannot be written.
    QString notWrittenMessage() const {
        return QStringLiteral("Unable to write the settings file ") + filePath() +
               QStringLiteral(".");
    }

    // Whether the key (a "/"-separated path) exists, i.e. holds a value or a sub-key.
    bool keyExists(const QString& keyPath) const;

    // The value's text or number, nothing when the key or the value is absent.
    std::optional<QVariant> read(const QString& keyPath, const QString& name) const;

    // Writes and flushes; false when the file cannot be written.
    bool write(const QString& keyPath, const QString& name, const QVariant& value);
    // Sets a value in memory only, for several values that reach the disk together by flush().
    void set(const QString& keyPath, const QString& name, const QVariant& value);
    // Writes pending values to the file at once; false when the file cannot be written.
    bool flush();
    // Removes a value (absent is fine); false when the file cannot be written.
    bool remove(const QString& keyPath, const QString& name);

    // Whether the last write or removal reached the disk.
    bool ok() const { return settings_.status() == QSettings::NoError; }

private:
    // The key path and value name as spelled in the file, or as given where nothing matches.
    QString resolveKey(const QString& keyPath) const;
    QString resolveValue(const QString& keyPath, const QString& name) const;

    mutable QSettings settings_;
};

} // namespace lp
