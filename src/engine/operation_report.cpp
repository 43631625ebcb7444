#include "operation_report.h"
#include "globals/path_template.h"
#include "platform/path_separator.h"

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

bool RenamesInPlace(std::string_view action, const std::vector<std::string>& values) {
    if (action != "move" || values.size() != 2)
        return false;
    const auto folderOf = [](std::string_view path) {
        const auto separator = path.find_last_of(platform::kPathSeparators);
        return separator == std::string_view::npos ? std::string_view{} : path.substr(0, separator);
    };
    return folderOf(values[0]) == folderOf(values[1]);
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
    : ForwardingEnvironment(inner), print_(std::move(print)) {}

std::optional<std::string> ReportingEnvironment::transferred(std::string_view verb,
                                                             const std::string& source,
                                                             const std::string& destination,
                                                             std::optional<std::string> placed) {
    std::string line = OperationLine(!placed, false, verb, {source, placed.value_or(destination)});
    if (!placed)
        line.append(ReasonPart(inner().failureReason()));
    print_(line);
    return placed;
}

bool ReportingEnvironment::report(bool done, std::string_view verb,
                                  const std::vector<std::string>& values) {
    std::string line = OperationLine(!done, false, verb, values);
    if (!done)
        line.append(ReasonPart(inner().failureReason()));
    print_(line);
    return done;
}

std::optional<std::string> ReportingEnvironment::copyFile(const std::string& source,
                                                          const std::string& destination,
                                                          NameClash clash) {
    return transferred("copy", source, destination, inner().copyFile(source, destination, clash));
}
std::optional<std::string> ReportingEnvironment::moveFile(const std::string& source,
                                                          const std::string& destination,
                                                          NameClash clash) {
    return transferred("move", source, destination, inner().moveFile(source, destination, clash));
}
bool ReportingEnvironment::deleteFile(const std::string& path) {
    return report(inner().deleteFile(path), "delete", {path});
}
bool ReportingEnvironment::trashFile(const std::string& path) {
    return report(inner().trashFile(path), "trash", {path});
}
bool ReportingEnvironment::launch(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    std::vector<std::string> values{program};
    values.insert(values.end(), arguments.begin(), arguments.end());
    return report(inner().launch(program, arguments), "launch", values);
}
void ReportingEnvironment::operationRefused(std::string_view verb, const std::string& path,
                                            std::string_view reason) {
    print_(OperationLine(true, false, verb, {path}) + ReasonPart(reason));
    inner().operationRefused(verb, path, reason);
}

} // namespace lp
