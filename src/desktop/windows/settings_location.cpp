// The settings store on Windows: the registry, under the user's own root. The key paths
// ("SOFTWARE/Larchpost", "Software/Larchpost/Main") become HKEY_CURRENT_USER\SOFTWARE\Larchpost
// and its "Main" subkey; HKEY_LOCAL_MACHINE, where an ordinary user may not write, is not used.

#include "desktop/settings_store.h"

namespace lp {

QString SettingsStore::defaultFilePath() {
    return QStringLiteral("HKEY_CURRENT_USER");
}

QSettings::Format SettingsStore::defaultFormat() {
    return QSettings::NativeFormat;
}

} // namespace lp
