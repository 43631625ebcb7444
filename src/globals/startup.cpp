#include "startup.h"
#include "quoted_value.h"

#include "config_file.h"
#include "platform/app_path.h"
#include "platform/path_separator.h"
#include "platform/user_folders.h"
#include "platform/utf8_path.h"

#include <filesystem>
#include <system_error>

namespace lp {

std::string ConfigurationFolder(const std::string& applicationFolder,
                                bool applicationFolderWritable,
                                const std::string& userConfigFolder) {
    if (applicationFolder.empty() || applicationFolderWritable || userConfigFolder.empty())
        return applicationFolder;
    return userConfigFolder + platform::kPathSeparator + "Larchpost" + platform::kPathSeparator;
}

void InitDefaults(AppGlobals& globals) {
    globals.registry = RegistrySettings{};
    globals.table.settings = GlobalSettings{};
    const std::string& folder = globals.applicationFolder;
    globals.configPath = ConfigurationFolder(folder, platform::FolderWritable(folder),
                                             platform::UserConfigFolder()) +
                         "bxconf.ini";
}

void ClearServices(ServiceTable& table) {
    table.services.clear();
    table.customCount = 0;
}

ConfigStartResult StartConfiguration(AppGlobals& globals, const CommandLine& options,
                                     const MessageSink& sink) {
    globals.applicationFolder = platform::ApplicationFolder();
    InitDefaults(globals);
    if (options.configPath) {
        globals.configPath = *options.configPath;
    } else if (!options.simulate) {
        // An installed copy's folder in the user's configuration may not exist yet; the first
        // save needs it. The application folder of a portable copy exists already.
        std::error_code ignored;
        std::filesystem::create_directories(platform::Utf8Path(globals.configPath).parent_path(),
                                            ignored);
    }
    ClearServices(globals.table);

    ConfigStartResult result;
    std::error_code error;
    const auto status = std::filesystem::status(platform::Utf8Path(globals.configPath), error);
    if (std::filesystem::is_directory(status)) {
        result.refusal =
            "The configuration file " + QuoteValue(globals.configPath) + " is a folder.";
        return result;
    }
    if (!std::filesystem::exists(status)) {
        // A folder on the way that may not be searched hides the file rather than lose it.
        const bool hidden = error && error != std::errc::no_such_file_or_directory;
        if (options.headless || options.simulate)
            result.refusal =
                "The configuration file " + QuoteValue(globals.configPath) +
                (hidden ? " cannot be reached: " + error.message() + "." : " does not exist.");
        return result;
    }
    result.fileRead = true;
    ReadConfigFile(globals.configPath, globals.table, sink);
    // A file that could not be read whole is never rewritten in place; the first save of the
    // run keeps it under a ".bad" name instead. A simulation changes nothing on disk.
    if (globals.table.configVersion < 1.0 && !globals.table.setAsideBeforeSave &&
        !options.simulate) {
        result.rewritten = true;
        result.rewriteResult =
            WriteConfigFile(globals.configPath, globals.table, result.rewriteError);
    }
    return result;
}

} // namespace lp
