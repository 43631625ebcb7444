// The settings store on Windows: the registry, under the user's own root. The key paths
// ("SOFTWARE/Larchpost", "Software/Larchpost/Main") become HKEY_CURRENT_USER\SOFTWARE\Larchpost
// and its "Main" subkey; HKEY_LOCAL_MACHINE, where an ordinary user may not write, is not used.
// The options dialog's choices go to the "Options" subkey, where the program built without the
// desktop layer reads them; the root of HKEY_CURRENT_USER is no place for a program's values.

#include "desktop/settings_store.h"
#include "desktop/stored_options.h"

namespace lp {

QString SettingsStore::defaultFilePath() {
    return QStringLiteral("HKEY_CURRENT_USER");
}

QSettings::Format SettingsStore::defaultFormat() {
    return QSettings::NativeFormat;
}

QString StoredOptionsKeyPath() {
    return QStringLiteral("Software/Larchpost/Options");
}

} // namespace lp
