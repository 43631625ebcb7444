// The settings store of a Linux desktop: an INI file in the user's configuration folder.

#include "desktop/settings_store.h"
#include "desktop/stored_options.h"

#include <QStandardPaths>

namespace lp {

QString SettingsStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Larchpost/settings.ini");
}

QSettings::Format SettingsStore::defaultFormat() {
    return QSettings::IniFormat;
}

QString StoredOptionsKeyPath() {
    return QStringLiteral("Options");
}

} // namespace lp
