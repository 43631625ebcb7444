#include "operation_report.h"

namespace lp {

std::string OperationLine(bool failed, bool undo, std::string_view action,
                          const std::vector<std::string>& values) {
    std::string line;
    if (failed)
        line.append("failed ");
    if (undo)
        line.append("undo ");
    line.append(action);
    for (const std::string& value : values)
        line.append(1, ' ').append(QuoteValue(value));
    return line;
}

std::string ReasonPart(std::string_view reason) {
    if (reason.empty())
        return {};
    return " # reason=" + QuoteValue(reason);
}

std::string_view RetryStageVerb(RetryStage stage) {
    switch (stage) {
    case RetryStage::WillRetry:
        return "retry";
    case RetryStage::Hourly:
        return "retry-hourly";
    case RetryStage::GivenUp:
        break;
    }
    return "give-up";
}

ReportingEnvironment::ReportingEnvironment(CycleEnvironment& inner, LinePrinter print)
    : inner_(inner), print_(std::move(print)) {}

std::optional<std::vector<platform::FolderEntry>>
ReportingEnvironment::listFolder(const std::string& folder, bool withDetails) {
    return inner_.listFolder(folder, withDetails);
}
bool ReportingEnvironment::listFolderInto(const std::string& folder, bool withDetails,
                                          std::vector<platform::FolderEntry>& entries) {
    return inner_.listFolderInto(folder, withDetails, entries);
}
bool ReportingEnvironment::listNamesInto(const std::string& folder,
                                         std::vector<std::string>& names) {
    return inner_.listNamesInto(folder, names);
}
platform::FolderObserver* ReportingEnvironment::folderObserver() {
    return inner_.folderObserver();
}

bool ReportingEnvironment::fileInUse(const std::string& path) {
    return inner_.fileInUse(path);
}

double ReportingEnvironment::today() {
    return inner_.today();
}
std::chrono::steady_clock::time_point ReportingEnvironment::now() {
    return inner_.now();
}

// Not printed: the lines are operations, the same in a real run and in a simulation, which has
// no later cycles to retry in.
void ReportingEnvironment::retryStage(RetryStage stage, const std::string& path) {
    inner_.retryStage(stage, path);
}

std::string ReportingEnvironment::failureReason() {
    return inner_.failureReason();
}

void ReportingEnvironment::actFor(const std::string& folder, const std::string& rule) {
    inner_.actFor(folder, rule);
}

std::optional<std::string> ReportingEnvironment::transferred(std::string_view verb,
                                                             const std::string& source,
                                                             const std::string& destination,
                                                             std::optional<std::string> placed) {
    std::string line = OperationLine(!placed, false, verb, {source, placed.value_or(destination)});
    if (!placed)
        line.append(ReasonPart(inner_.failureReason()));
    print_(line);
    return placed;
}

bool ReportingEnvironment::report(bool done, std::string_view verb,
                                  const std::vector<std::string>& values) {
    std::string line = OperationLine(!done, false, verb, values);
    if (!done)
        line.append(ReasonPart(inner_.failureReason()));
    print_(line);
    return done;
}

std::optional<std::string> ReportingEnvironment::copyFile(const std::string& source,
                                                          const std::string& destination,
                                                          NameClash clash) {
    return transferred("copy", source, destination, inner_.copyFile(source, destination, clash));
}
std::optional<std::string> ReportingEnvironment::moveFile(const std::string& source,
                                                          const std::string& destination,
                                                          NameClash clash) {
    return transferred("move", source, destination, inner_.moveFile(source, destination, clash));
}
bool ReportingEnvironment::deleteFile(const std::string& path) {
    return report(inner_.deleteFile(path), "delete", {path});
}
bool ReportingEnvironment::trashFile(const std::string& path) {
    return report(inner_.trashFile(path), "trash", {path});
}
bool ReportingEnvironment::launch(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    std::vector<std::string> values{program};
    values.insert(values.end(), arguments.begin(), arguments.end());
    return report(inner_.launch(program, arguments), "launch", values);
}

} // namespace lp
