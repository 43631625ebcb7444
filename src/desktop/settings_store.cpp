#include "settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace lp {

namespace {

// The entry of `names` equal to `wanted` without regard to case, or `wanted` itself.
QString matchWithoutCase(const QStringList& names, const QString& wanted) {
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return wanted;
}

bool containsWithoutCase(const QStringList& names, const QString& wanted) {
    return names.contains(wanted, Qt::CaseInsensitive);
}

QStringList segments(const QString& keyPath) {
    return keyPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// Enters a group for the lifetime of the object.
class GroupScope {
public:
    GroupScope(QSettings& settings, const QString& group) : settings_(settings) {
        if (!group.isEmpty())
            settings_.beginGroup(group);
        entered_ = !group.isEmpty();
    }
    ~GroupScope() {
        if (entered_)
            settings_.endGroup();
    }
    GroupScope(const GroupScope&) = delete;
    GroupScope& operator=(const GroupScope&) = delete;

private:
    QSettings& settings_;
    bool entered_ = false;
};

} // namespace

SettingsStore::SettingsStore(const QString& filePath, QSettings::Format format)
    : settings_(filePath, format) {}

QString SettingsStore::resolveKey(const QString& keyPath) const {
    QString resolved;
    bool stillMatching = true;
    for (const QString& part : segments(keyPath)) {
        QString spelled = part;
        if (stillMatching) {
            GroupScope scope(settings_, resolved);
            const QStringList groups = settings_.childGroups();
            stillMatching = containsWithoutCase(groups, part);
            spelled = matchWithoutCase(groups, part);
        }
        resolved += resolved.isEmpty() ? spelled : QLatin1Char('/') + spelled;
    }
    return resolved;
}

QString SettingsStore::resolveValue(const QString& keyPath, const QString& name) const {
    GroupScope scope(settings_, keyPath);
    return matchWithoutCase(settings_.childKeys(), name);
}

bool SettingsStore::keyExists(const QString& keyPath) const {
    QString resolved;
    for (const QString& part : segments(keyPath)) {
        GroupScope scope(settings_, resolved);
        const QStringList groups = settings_.childGroups();
        if (!containsWithoutCase(groups, part))
            return false;
        const QString spelled = matchWithoutCase(groups, part);
        resolved += resolved.isEmpty() ? spelled : QLatin1Char('/') + spelled;
    }
    return !resolved.isEmpty();
}

std::optional<QVariant> SettingsStore::read(const QString& keyPath, const QString& name) const {
    const QString key = resolveKey(keyPath);
    GroupScope scope(settings_, key);
    const QStringList names = settings_.childKeys();
    if (!containsWithoutCase(names, name))
        return std::nullopt;
    return settings_.value(matchWithoutCase(names, name));
}

bool SettingsStore::write(const QString& keyPath, const QString& name, const QVariant& value) {
    set(keyPath, name, value);
    return flush();
}

void SettingsStore::set(const QString& keyPath, const QString& name, const QVariant& value) {
    const QString key = resolveKey(keyPath);
    const QString valueName = resolveValue(key, name);
    GroupScope scope(settings_, key);
    settings_.setValue(valueName, value);
}

bool SettingsStore::remove(const QString& keyPath, const QString& name) {
    const QString key = resolveKey(keyPath);
    {
        GroupScope scope(settings_, key);
        const QStringList names = settings_.childKeys();
        if (containsWithoutCase(names, name))
            settings_.remove(matchWithoutCase(names, name));
    }
    return flush();
}

bool SettingsStore::flush() {
    // QSettings does not create the folder of a new file itself; the registry needs none.
    if (settings_.format() == QSettings::IniFormat)
        QDir().mkpath(QFileInfo(settings_.fileName()).absolutePath());
    settings_.sync();
    return settings_.status() == QSettings::NoError;
}

} // namespace lp
