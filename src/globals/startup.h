#pragma once
// The start-up steps that concern the configuration: where the program lives, the defaults, and
// reading (and, for an old layout, rewriting) the configuration file.

#include "app_globals.h"
#include "command_line.h"
#include "message_sink.h"
#include "platform/problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace lp {

// Where the configuration file belongs. A portable copy, whose application folder the user may
// write, keeps it there; an installed copy (a folder such as /usr/bin) keeps it in the user's own
// <userConfigFolder>/Larchpost/. Without a user folder the application folder stays.
std::string ConfigurationFolder(const std::string& applicationFolder,
                                bool applicationFolderWritable,
                                const std::string& userConfigFolder);

// Window and auto-start defaults, the global settings' defaults, and the configuration path
// "bxconf.ini" in the configuration folder (normally the application folder).
void InitDefaults(AppGlobals& globals);

// Empties the service table.
void ClearServices(ServiceTable& table);

struct ConfigStartResult {
    // Set when the program must not go on with this configuration path: it names a folder, or,
    // without a window, nothing at all (there would be nothing to sort, ever). Names the path.
    Problem refusal;
    bool fileRead = false;          // a configuration file existed and was read
    bool rewritten = false;         // its old layout was rewritten
    std::int32_t rewriteResult = 0; // WriteConfigFile's result when rewritten, -2 = not saved
    std::error_code rewriteError;   // why it was not saved
};

// Sets the application folder from the executable's path, the defaults, the configuration path
// (--config replaces it), reads the file when it exists and rewrites it when its version is below
// 1.00 and it was read whole (never for a simulation, which changes nothing on disk). A missing
// file is not created; the desktop program starts with an empty table then. Reader messages go
// to sink.
ConfigStartResult StartConfiguration(AppGlobals& globals, const CommandLine& options,
                                     const MessageSink& sink);

} // namespace lp
