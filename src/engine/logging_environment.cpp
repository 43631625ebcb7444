#include "logging_environment.h"
#include "operation_report.h"
#include "platform/move_journal.h"

namespace lp {

LoggingEnvironment::LoggingEnvironment(CycleEnvironment& inner, ActivityLog& log)
    : inner_(inner), log_(log) {}

std::optional<std::vector<platform::FolderEntry>>
LoggingEnvironment::listFolder(const std::string& folder, bool withDetails) {
    return inner_.listFolder(folder, withDetails);
}
bool LoggingEnvironment::listFolderInto(const std::string& folder, bool withDetails,
                                        std::vector<platform::FolderEntry>& entries) {
    return inner_.listFolderInto(folder, withDetails, entries);
}
bool LoggingEnvironment::listNamesInto(const std::string& folder, std::vector<std::string>& names) {
    return inner_.listNamesInto(folder, names);
}
platform::FolderObserver* LoggingEnvironment::folderObserver() {
    return inner_.folderObserver();
}
bool LoggingEnvironment::fileInUse(const std::string& path) {
    return inner_.fileInUse(path);
}
double LoggingEnvironment::today() {
    return inner_.today();
}
std::chrono::steady_clock::time_point LoggingEnvironment::now() {
    return inner_.now();
}

std::string LoggingEnvironment::failureReason() {
    return inner_.failureReason();
}

void LoggingEnvironment::actFor(const std::string& folder, const std::string& rule) {
    folder_ = folder;
    rule_ = rule;
    inner_.actFor(folder, rule);
}

std::optional<std::string> LoggingEnvironment::transferred(std::string action,
                                                           const std::string& source,
                                                           const std::string& destination,
                                                           std::optional<std::string> placed) {
    ActivityEntry entry;
    entry.folder = folder_;
    entry.rule = rule_;
    entry.failed = !placed;
    entry.action = std::move(action);
    entry.values = {source, placed.value_or(destination)};
    if (!placed)
        entry.reason = inner_.failureReason();
    // Read at once, so that an undo can tell whether the file there is still this one.
    if (placed)
        entry.identity = inner_.placedIdentity(*placed);
    log_.append(std::move(entry));
    return placed;
}

bool LoggingEnvironment::logged(bool done, std::string action, std::vector<std::string> values) {
    ActivityEntry entry;
    entry.folder = folder_;
    entry.rule = rule_;
    entry.failed = !done;
    entry.action = std::move(action);
    entry.values = std::move(values);
    if (!done)
        entry.reason = inner_.failureReason();
    log_.append(std::move(entry));
    return done;
}

std::optional<std::string> LoggingEnvironment::copyFile(const std::string& source,
                                                        const std::string& destination,
                                                        NameClash clash) {
    // The journal's record of a copy across file systems stays until its line is written.
    const platform::JournalEndsHeld held;
    return transferred("copy", source, destination, inner_.copyFile(source, destination, clash));
}
std::optional<std::string> LoggingEnvironment::moveFile(const std::string& source,
                                                        const std::string& destination,
                                                        NameClash clash) {
    const platform::JournalEndsHeld held;
    return transferred("move", source, destination, inner_.moveFile(source, destination, clash));
}
void LoggingEnvironment::retryStage(RetryStage stage, const std::string& path) {
    logged(true, std::string(RetryStageVerb(stage)), {path});
    inner_.retryStage(stage, path);
}
std::optional<platform::FileIdentity> LoggingEnvironment::placedIdentity(const std::string& path) {
    return inner_.placedIdentity(path);
}
bool LoggingEnvironment::deleteFile(const std::string& path) {
    return logged(inner_.deleteFile(path), "delete", {path});
}
bool LoggingEnvironment::trashFile(const std::string& path) {
    return logged(inner_.trashFile(path), "trash", {path});
}
bool LoggingEnvironment::launch(const std::string& program,
                                const std::vector<std::string>& arguments) {
    std::vector<std::string> values{program};
    values.insert(values.end(), arguments.begin(), arguments.end());
    return logged(inner_.launch(program, arguments), "launch", std::move(values));
}

} // namespace lp
