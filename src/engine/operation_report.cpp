#include "operation_report.h"

namespace lp {

namespace {

std::string twoValues(std::string_view verb, std::string_view first, std::string_view second) {
    return std::string(verb) + ' ' + QuoteValue(first) + ' ' + QuoteValue(second);
}

std::string moveLine(const std::string& source, const std::string& destination) {
    return twoValues("move", source, destination);
}
std::string copyLine(const std::string& source, const std::string& destination) {
    return twoValues("copy", source, destination);
}
std::string deleteLine(const std::string& path) {
    return "delete " + QuoteValue(path);
}
std::string launchLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::string line = "launch " + QuoteValue(program);
    for (const std::string& argument : arguments)
        line.append(1, ' ').append(QuoteValue(argument));
    return line;
}

} // namespace

ReportingEnvironment::ReportingEnvironment(CycleEnvironment& inner, LinePrinter print)
    : inner_(inner), print_(std::move(print)) {}

std::optional<std::vector<platform::FolderEntry>>
ReportingEnvironment::listFolder(const std::string& folder, bool withDetails) {
    return inner_.listFolder(folder, withDetails);
}

bool ReportingEnvironment::fileInUse(const std::string& path) {
    return inner_.fileInUse(path);
}

double ReportingEnvironment::today() {
    return inner_.today();
}

bool ReportingEnvironment::report(bool done, const std::string& line) {
    print_(done ? line : "failed " + line);
    return done;
}

bool ReportingEnvironment::copyFile(const std::string& source, const std::string& destination) {
    return report(inner_.copyFile(source, destination), copyLine(source, destination));
}
bool ReportingEnvironment::moveFile(const std::string& source, const std::string& destination) {
    return report(inner_.moveFile(source, destination), moveLine(source, destination));
}
bool ReportingEnvironment::deleteFile(const std::string& path) {
    return report(inner_.deleteFile(path), deleteLine(path));
}
bool ReportingEnvironment::launch(const std::string& program,
                                  const std::vector<std::string>& arguments) {
    return report(inner_.launch(program, arguments), launchLine(program, arguments));
}

} // namespace lp
