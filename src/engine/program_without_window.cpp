#include "program_without_window.h"

#include "activity_log.h"
#include "folder_choice.h"
#include "globals/app_globals.h"
#include "globals/program_version.h"
#include "globals/quoted_value.h"
#include "globals/startup.h"
#include "globals/usage_text.h"
#include "headless_run.h"
#include "move_recovery.h"
#include "passed_over_rules.h"
#include "placed_files.h"
#include "platform/program_arguments.h"
#include "platform/stop_request.h"
#include "platform/trash.h"
#include "platform/utf8_path.h"
#include "stopped_files.h"
#include "system_environment.h"

#include <filesystem>
#include <iostream>
#include <variant>

namespace lp {

namespace {

void printLine(const std::string& line) {
    std::cout << line << std::endl; // a script reading along sees each operation at once
}

} // namespace

void SayOnStandardError(const std::string& line) {
    std::cerr << line << '\n';
}

std::optional<int> StartProgram(int argc, char** argv, CommandLine& options) {
    platform::PrepareTrash(); // before any thread starts
    platform::UseUtf8Console();
    if (auto error = parseCommandLine(platform::ProgramArguments(argc, argv), options)) {
        SayOnStandardError("larchpost: " + *error + "\nTry 'larchpost --help' for the options.");
        return 2;
    }
    if (options.help) {
        std::cout << usageText();
        return 0;
    }
    if (options.version) {
        std::cout << versionBanner() << '\n';
        return 0;
    }
    return std::nullopt;
}

int RunWithoutWindow(const CommandLine& options, const std::function<bool()>& holdInstance,
                     const WithoutWindowChoices& choices) {
    // Before anything else, so that every thread started later inherits it.
    platform::CatchStopRequests();
    // A simulation changes nothing, so it may run beside a running instance. Sorting takes the
    // guard: never two instances sorting the same folders.
    if (!options.simulate && !holdInstance())
        return 1;
    AppGlobals& globals = app();
    const ConfigStartResult config = StartConfiguration(globals, options, SayOnStandardError);
    if (config.refusal) {
        SayOnStandardError("larchpost: " + *config.refusal);
        return 2;
    }
    if (config.rewritten && config.rewriteResult != 0)
        SayOnStandardError(
            "larchpost: the configuration file " + QuoteValue(globals.configPath) +
            " could not be saved in the current layout: " + config.rewriteError.message() + ".");

    for (const std::string& notice : PassedOverNotices(globals.table))
        SayOnStandardError(notice);

    SystemEnvironment environment(choices.trash);
    if (options.simulate) {
        ServiceTable& table = globals.table;
        if (options.folder) {
            const auto choice = ChooseFolder(table, *options.folder);
            if (const auto* refusal = std::get_if<std::string>(&choice)) {
                SayOnStandardError("larchpost: --folder: " + *refusal);
                return 2;
            }
            // The folder asked for alone, and simulated even when it is off: the user named it.
            rServiceRules folder = table.services[std::get<std::size_t>(choice)];
            SayOnStandardError(SimulationHeading(&folder));
            folder.enabled = true;
            table.services = {std::move(folder)};
        } else {
            SayOnStandardError(SimulationHeading(nullptr));
        }
        // What the rules put in their own folders is passed over, as a run passes it over.
        ReadPlacedFiles(PlacedFilesPath(), table);
        return RunSimulation(table, choices.policy, environment, printLine,
                             choices.trash ? choices.foreseeTrash : TrashMover{});
    }
    // Before the first listing, so that it sees each file where it belongs.
    std::vector<std::string> sortAgain = RecoverInterruptedOperations(SayOnStandardError);
    // What an earlier run stopped (the desktop program's Exit, the session's end) is new here
    // too. The note goes once a cycle has taken those files up; a run that ends before keeps it.
    const std::string stoppedPath = StoppedFilesPath();
    std::vector<std::string> stopped = ReadStoppedFiles(stoppedPath);
    sortAgain.insert(sortAgain.end(), stopped.begin(), stopped.end());
    const auto takenUp = [&] {
        std::error_code ignored;
        if (!stopped.empty())
            std::filesystem::remove(platform::Utf8Path(stoppedPath), ignored);
    };
    ActivityLog log(ActivityLog::DefaultPath());
    return RunHeadless(globals.table, options, choices.policy, environment, log,
                       platform::WaitForStopRequest, printLine, sortAgain, takenUp,
                       PlacedFilesPath());
}

} // namespace lp
