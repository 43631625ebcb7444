#include "operation_report.h"

#include <algorithm>

namespace lp {

namespace {

// The length of the well-formed UTF-8 sequence at the start of text, 0 when there is none (a
// stray continuation byte, an overlong form, a surrogate, a value beyond U+10FFFF, a cut-off
// sequence).
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t at = 2; at < length; ++at)
        if (byte(at) < 0x80 || byte(at) > 0xBF)
            return 0;
    return length;
}

} // namespace

std::string QuoteValue(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('"');
    const auto byteAt = [&](std::size_t at) { return static_cast<unsigned char>(value[at]); };
    const auto appendHex = [&](unsigned char byte) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        quoted.append("\\x").append(1, kDigits[byte >> 4]).append(1, kDigits[byte & 0xF]);
    };
    for (std::size_t at = 0; at < value.size();) {
        const unsigned char c = byteAt(at);
        // A name must not start a line of its own (it could pass for an operation), nor move the
        // cursor, clear the terminal or set its title; the escapes keep every byte recoverable.
        if (c == '\n' || c == '\r' || c == '\t') {
            quoted.append(c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t");
            ++at;
        } else if (c == '\\' || c == '"') {
            quoted.append(1, '\\').append(1, static_cast<char>(c));
            ++at;
        } else if (c < 0x20 || c == 0x7F) {
            appendHex(c);
            ++at;
        } else {
            const std::size_t length = utf8SequenceLength(value.substr(at));
            const bool control = length == 2 && c == 0xC2 && byteAt(at + 1) <= 0x9F; // C1
            if (length == 0 || control) {
                for (const std::size_t end = at + std::max<std::size_t>(length, 1); at < end; ++at)
                    appendHex(byteAt(at));
            } else {
                quoted.append(value.substr(at, length));
                at += length;
            }
        }
    }
    quoted.push_back('"');
    return quoted;
}

std::optional<std::string> ReadQuotedValue(std::string_view& text) {
    if (text.empty() || text.front() != '"')
        return std::nullopt;
    const auto hexDigit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string value;
    for (std::size_t at = 1; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            text.remove_prefix(at + 1);
            return value;
        }
        if (c != '\\') {
            value.push_back(c);
            continue;
        }
        if (++at == text.size())
            break;
        switch (const char escaped = text[at]) {
        case '\\':
        case '"':
            value.push_back(escaped);
            break;
        case 'n':
            value.push_back('\n');
            break;
        case 'r':
            value.push_back('\r');
            break;
        case 't':
            value.push_back('\t');
            break;
        case 'x': {
            const int high = at + 1 < text.size() ? hexDigit(text[at + 1]) : -1;
            const int low = at + 2 < text.size() ? hexDigit(text[at + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            value.push_back(static_cast<char>(high * 16 + low));
            at += 2;
            break;
        }
        default:
            return std::nullopt; // QuoteValue writes no other escape
        }
    }
    return std::nullopt; // no closing quote
}

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

void ReportingEnvironment::actFor(const std::string& folder, const std::string& rule) {
    inner_.actFor(folder, rule);
}

std::optional<std::string> ReportingEnvironment::transferred(std::string_view verb,
                                                             const std::string& source,
                                                             const std::string& destination,
                                                             std::optional<std::string> placed) {
    print_(OperationLine(!placed, false, verb, {source, placed.value_or(destination)}));
    return placed;
}

bool ReportingEnvironment::report(bool done, std::string_view verb,
                                  const std::vector<std::string>& values) {
    print_(OperationLine(!done, false, verb, values));
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
