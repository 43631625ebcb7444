#include "activity_entry.h"
#include "operation_report.h"

#include <algorithm>
#include <charconv>

namespace lp {

namespace {

constexpr std::string_view kIdentityMark = " # size=";
constexpr std::string_view kReasonMark = " # reason=";

// Whether text is a local time as the log writes it: 2026-12-08T09:12:33+01:00.
bool isLogTime(std::string_view text) {
    static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:dd+dd:dd";
    if (text.size() != kShape.size())
        return false;
    for (std::size_t at = 0; at < kShape.size(); ++at) {
        const char c = text[at];
        const bool fits = kShape[at] == 'd'   ? c >= '0' && c <= '9'
                          : kShape[at] == '+' ? c == '+' || c == '-'
                                              : c == kShape[at];
        if (!fits)
            return false;
    }
    return true;
}

bool takePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix))
        return false;
    text.remove_prefix(prefix.size());
    return true;
}

// A decimal number at the start of text, taken off it.
template <typename Number> std::optional<Number> takeNumber(std::string_view& text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc{} || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return number;
}

// The identity part after its " # size=" mark, which must reach the end of the line.
std::optional<FileIdentity> parseIdentity(std::string_view text) {
    const auto size = takeNumber<std::uint64_t>(text);
    if (!size || !takePrefix(text, " mtime="))
        return std::nullopt;
    const auto modified = takeNumber<std::int64_t>(text);
    if (!modified || !takePrefix(text, " file="))
        return std::nullopt;
    const auto device = takeNumber<std::uint64_t>(text);
    if (!device || !takePrefix(text, ":"))
        return std::nullopt;
    const auto inode = takeNumber<std::uint64_t>(text);
    if (!inode || !text.empty())
        return std::nullopt;
    return FileIdentity{*size, *modified, *device, *inode};
}

// Whether the verb, undone or not, takes that many values.
bool operationShapeKnown(const ActivityEntry& entry) {
    const std::size_t count = entry.values.size();
    if (entry.action == "move")
        return count == 2;
    if (entry.action == "delete")
        return count == 1;
    if (entry.undo)
        return false; // only moves and copies (by deleting the copy) are undone
    if (entry.action == "copy")
        return count == 2;
    if (entry.action == "trash")
        return count == 1;
    // Folders a destination names that could not be made: only ever a failure.
    if (entry.action == "make-folder")
        return count == 1 && entry.failed;
    // A rename that could make no name from the file: only ever a failure (a rename that was
    // made is a move).
    if (entry.action == "rename")
        return count == 1 && entry.failed;
    // How far the retries of a file have come: said, never done, so never failed.
    if (entry.action == "retry" || entry.action == "retry-hourly" || entry.action == "give-up")
        return count == 1 && !entry.failed;
    return entry.action == "launch" && count >= 1;
}

} // namespace

std::string FormatActivityLine(const ActivityEntry& entry) {
    std::string line = entry.time;
    line.append(1, ' ').append(QuoteValue(entry.folder));
    line.append(1, ' ').append(QuoteValue(entry.rule));
    line.append(1, ' ').append(OperationLine(entry.failed, entry.undo, entry.action, entry.values));
    if (entry.failed)
        line.append(ReasonPart(entry.reason));
    if (const auto& identity = entry.identity) {
        line.append(kIdentityMark).append(std::to_string(identity->size));
        line.append(" mtime=").append(std::to_string(identity->modifiedNs));
        line.append(" file=").append(std::to_string(identity->device));
        line.append(1, ':').append(std::to_string(identity->inode));
        if (entry.madeFolders > 0)
            line.append(" made=").append(std::to_string(entry.madeFolders));
    }
    return line;
}

std::optional<ActivityEntry> ParseActivityLine(std::string_view line) {
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    ActivityEntry entry;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || !isLogTime(line.substr(0, space)))
        return std::nullopt;
    entry.time = line.substr(0, space);
    line.remove_prefix(space + 1);
    auto folder = ReadQuotedValue(line);
    if (!folder || !takePrefix(line, " "))
        return std::nullopt;
    auto rule = ReadQuotedValue(line);
    if (!rule || !takePrefix(line, " "))
        return std::nullopt;
    entry.folder = std::move(*folder);
    entry.rule = std::move(*rule);
    entry.failed = takePrefix(line, "failed ");
    entry.undo = takePrefix(line, "undo ");
    const std::size_t verbEnd = std::min(line.find(' '), line.size());
    entry.action = line.substr(0, verbEnd);
    line.remove_prefix(verbEnd);
    while (line.starts_with(" \"")) {
        line.remove_prefix(1);
        auto value = ReadQuotedValue(line);
        if (!value)
            return std::nullopt;
        entry.values.push_back(std::move(*value));
    }
    if (entry.failed && takePrefix(line, kReasonMark)) {
        auto reason = ReadQuotedValue(line);
        if (!reason || !line.empty())
            return std::nullopt;
        entry.reason = std::move(*reason);
    } else if (!line.empty()) {
        if (!takePrefix(line, kIdentityMark))
            return std::nullopt;
        if (const auto made = line.find(" made="); made != std::string_view::npos) {
            std::string_view count = line.substr(made + 6);
            const auto number = takeNumber<std::int32_t>(count);
            if (!number || *number <= 0 || !count.empty())
                return std::nullopt;
            entry.madeFolders = *number;
            line = line.substr(0, made);
        }
        entry.identity = parseIdentity(line);
        if (!entry.identity)
            return std::nullopt;
    }
    if (!operationShapeKnown(entry))
        return std::nullopt;
    return entry;
}

} // namespace lp
