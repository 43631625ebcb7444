#include "logging_environment.h"
#include "globals/path_template.h"
#include "operation_report.h"
#include "platform/move_journal.h"
#include "platform/path_separator.h"

namespace lp {

LoggingEnvironment::LoggingEnvironment(CycleEnvironment& inner, ActivityLog& log)
    : ForwardingEnvironment(inner), log_(log) {}

void LoggingEnvironment::actFor(const std::string& folder, const std::string& rule) {
    folder_ = folder;
    rule_ = rule;
    inner().actFor(folder, rule);
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
        entry.reason = inner().failureReason();
    // Read at once, so that an undo can tell whether the file there is still this one.
    if (placed)
        entry.identity = inner().placedIdentity(*placed);
    if (placed && madeCount_ > 0 &&
        placed->substr(0, placed->find_last_of(platform::kPathSeparators)) == madeFor_)
        entry.madeFolders = madeCount_;
    madeCount_ = 0;
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
        entry.reason = inner().failureReason();
    log_.append(std::move(entry));
    return done;
}

std::optional<std::string> LoggingEnvironment::copyFile(const std::string& source,
                                                        const std::string& destination,
                                                        NameClash clash) {
    // The journal's record of a copy across file systems stays until its line is written.
    const platform::JournalEndsHeld held;
    return transferred("copy", source, destination, inner().copyFile(source, destination, clash));
}
std::optional<std::string> LoggingEnvironment::moveFile(const std::string& source,
                                                        const std::string& destination,
                                                        NameClash clash) {
    const platform::JournalEndsHeld held;
    return transferred("move", source, destination, inner().moveFile(source, destination, clash));
}
std::optional<std::string> LoggingEnvironment::makeFolders(const std::string& fixedFolder,
                                                           const std::vector<std::string>& below,
                                                           std::vector<std::string>& made) {
    auto folder = inner().makeFolders(fixedFolder, below, made);
    madeFor_ = folder.value_or(std::string());
    madeCount_ = static_cast<std::int32_t>(made.size());
    return folder;
}
void LoggingEnvironment::operationRefused(std::string_view verb, const std::string& path,
                                          std::string_view reason) {
    ActivityEntry entry;
    entry.folder = folder_;
    entry.rule = rule_;
    entry.failed = true;
    entry.action = verb;
    entry.values = {path};
    entry.reason = reason;
    log_.append(std::move(entry));
    inner().operationRefused(verb, path, reason);
}
void LoggingEnvironment::retryStage(RetryStage stage, const std::string& path) {
    logged(true, std::string(RetryStageVerb(stage)), {path});
    inner().retryStage(stage, path);
}
bool LoggingEnvironment::deleteFile(const std::string& path) {
    return logged(inner().deleteFile(path), "delete", {path});
}
bool LoggingEnvironment::trashFile(const std::string& path) {
    return logged(inner().trashFile(path), "trash", {path});
}
bool LoggingEnvironment::launch(const std::string& program,
                                const std::vector<std::string>& arguments) {
    std::vector<std::string> values{program};
    values.insert(values.end(), arguments.begin(), arguments.end());
    return logged(inner().launch(program, arguments), "launch", std::move(values));
}

} // namespace lp
