#pragma once
// The program-wide state that lives for the whole run: the service table, where it is saved, and
// the window settings kept in the settings store.

#include "records.h"

#include <cstdint>
#include <string>

namespace lp {

// Values mirrored in the settings store (key paths "SOFTWARE/Larchpost" and
// "Software/Larchpost/Main").
struct RegistrySettings {
    bool AutoStart = true;
    std::int32_t Status = 0;
    std::int32_t Height = 400;
    std::int32_t Width = 440;
    std::int32_t Left = 50;
    std::int32_t Top = 50;
};

struct AppGlobals {
    ServiceTable table;
    std::string applicationFolder; // the executable's folder, ending in the separator
    std::string configPath;        // where every save goes
    RegistrySettings registry;
    std::int32_t visibleCount = 0; // 1 when the main window is shown, 0 when hidden in the tray
    std::string versionLine;       // shown by the about box
    std::uint8_t currentServiceId = kOtherService;
};

// The one instance of the run.
AppGlobals& app();

// The user-defined service shown at line `line` (from 0) of the folder list: the first record with
// serviceid 5 whose othernum is line + 1. Null when there is none (empty table, line -1).
rServiceRules* findUserService(ServiceTable& table, int line);

} // namespace lp
