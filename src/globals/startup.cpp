#include "startup.h"

#include "config_file.h"
#include "platform/app_path.h"

#include <filesystem>
#include <system_error>

namespace lp {

void InitDefaults(AppGlobals& globals) {
    globals.registry = RegistrySettings{};
    globals.table.settings = GlobalSettings{};
    globals.configPath = globals.applicationFolder + "bxconf.ini";
}

void ClearServices(ServiceTable& table) {
    table.services.clear();
    table.customCount = 0;
}

ConfigStartResult StartConfiguration(AppGlobals& globals, const CommandLine& options,
                                     const MessageSink& sink) {
    globals.applicationFolder = platform::ApplicationFolder();
    InitDefaults(globals);
    if (options.configPath)
        globals.configPath = *options.configPath;
    ClearServices(globals.table);

    ConfigStartResult result;
    std::error_code error;
    if (!std::filesystem::exists(globals.configPath, error))
        return result;
    result.fileRead = true;
    ReadConfigFile(globals.configPath, globals.table, sink);
    // A file that could not be read whole is never rewritten in place; the first save of the
    // run keeps it under a ".bad" name instead.
    if (globals.table.configVersion < 1.0 && !globals.table.setAsideBeforeSave) {
        result.rewritten = true;
        result.rewriteResult = WriteConfigFile(globals.configPath, globals.table);
    }
    return result;
}

} // namespace lp
