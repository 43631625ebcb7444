#pragma once
// The options dialog's choices in the settings store: the [Options] group of settings.ini on
// Linux, the key HKEY_CURRENT_USER\Software\Larchpost\Options on Windows, which the program
// built without its desktop layer reads too. The values are those of engine/option_values.h.

#include "engine/option_values.h"
#include "globals/message_sink.h"
#include "settings_store.h"

namespace lp {

// The key path of the choices in the system's settings store.
QString StoredOptionsKeyPath();

// The stored choices; a value missing counts as the default, and so does one that is not
// understood, which is said once through say.
StoredOptions ReadStoredOptions(const SettingsStore& store, const MessageSink& say);

// Writes all three values; false when the file cannot be written.
bool WriteStoredOptions(SettingsStore& store, const StoredOptions& options);

} // namespace lp
