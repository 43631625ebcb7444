#include "config_lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lp::config {

namespace {

// A key line of the expected key is taken as such even when its value holds "[" (a folder named
// "D:\Songs [old]"); every other line is classified as usual.
SplitResult classify(std::string_view line, std::string_view expectedKey) {
    if (line.size() > expectedKey.size() && line.substr(0, expectedKey.size()) == expectedKey &&
        line[expectedKey.size()] == '=')
        return {0, std::string(expectedKey), std::string(line.substr(expectedKey.size() + 1))};
    return SplitLine(line);
}

std::string_view stripLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

} // namespace

SplitResult SplitLine(std::string_view line) {
    SplitResult result;
    if (line.find('[') == std::string_view::npos) {
        const auto equals = line.find('=');
        result.key = std::string(line.substr(0, equals));
        if (equals != std::string_view::npos)
            result.value = std::string(line.substr(equals + 1));
        return result;
    }
    const auto dash = line.find('-');
    const std::size_t start = dash == std::string_view::npos ? 0 : dash + 1;
    const auto close = line.find(']');
    std::string_view number;
    if (close != std::string_view::npos && close >= start)
        number = line.substr(start, close - start);
    const auto skip = ParseDecimal(number);
    // A skip count of 0 would skip nothing and still hide the line's key: treat it as a tag.
    result.n = skip && *skip > 0 ? *skip : -1;
    return result;
}

bool IsRecordTag(std::string_view line) {
    if (line == "[Main Info]")
        return true;
    for (std::string_view prefix : {std::string_view("[Service "), std::string_view("[Rule ")}) {
        if (line.size() > prefix.size() + 1 && line.substr(0, prefix.size()) == prefix &&
            line.back() == ']') {
            const std::string_view number =
                line.substr(prefix.size(), line.size() - prefix.size() - 1);
            if (std::all_of(number.begin(), number.end(),
                            [](char c) { return c >= '0' && c <= '9'; }))
                return true;
        }
    }
    return false;
}

bool IsLayoutLine(std::string_view line) {
    static constexpr std::string_view kKeys[] = {
        "Version",   "UseSMTP",    "SMTP Server", "ReplyTo",    "Service Count", "Custom Count",
        "serviceid", "othernum",   "othername",   "enabled",    "sharedir",      "excludefiles",
        "rulecnt",   "rulename",   "mcond",       "condcnt",    "fcnt",          "fsize",
        "actioncnt", "rcond",      "ext",         "rnum",       "size",          "rdays",
        "rdnum",     "filecnt",    "raction",     "filepath",   "ftpserver",     "ftpport",
        "ftppath",   "ftpuser",    "ftppass",     "ftpascmode", "ftppassive",    "fprogram",
        "fparams",   "extanycase", "names",       "anycond",    "stopafter",     "subfolders"};
    if (IsRecordTag(line))
        return true;
    const auto equals = line.find('=');
    if (equals == std::string_view::npos ||
        line.substr(0, equals).find('[') != std::string_view::npos)
        return false;
    return std::find(std::begin(kKeys), std::end(kKeys), line.substr(0, equals)) != std::end(kKeys);
}

std::string QuotedLine(std::string_view line) {
    constexpr std::size_t kShown = 60;
    if (line.size() <= kShown)
        return std::string(line);
    std::size_t cut = kShown;
    // Never in the middle of a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(line.substr(0, cut)) + "...";
}

LineSource::LineSource(std::string content, ContentEnd end)
    : content_(std::move(content)), end_(end) {}

std::optional<std::string_view> LineSource::PeekLine() const {
    if (AtEnd())
        return std::nullopt;
    const std::string_view rest = std::string_view(content_).substr(pos_);
    return stripLineEnd(rest.substr(0, rest.find('\n')));
}

std::optional<std::string_view> LineSource::ReadLine() {
    auto line = PeekLine();
    if (line) {
        const auto newline = content_.find('\n', pos_);
        pos_ = newline == std::string::npos ? content_.size() : newline + 1;
        ++linesRead_;
    }
    return line;
}

void LineSource::SkipLines(std::int64_t count) {
    for (; count > 0 && !AtEnd(); --count)
        ReadLine();
}

void KeyReader::Stop(std::int64_t line, std::string what) {
    if (!problem_)
        problem_ = ReadProblem{line, std::move(what)};
}

void KeyReader::StopAtEnd(std::string_view expected) {
    const std::int64_t line = lines_.LineNumber() + 1;
    switch (lines_.End()) {
    case ContentEnd::Complete:
        Stop(line, "Expected " + std::string(expected) + ", found the end of the file.");
        break;
    case ContentEnd::Unreadable:
        Stop(line, "Error Reading Input File: " +
                       std::string(expected.substr(0, expected.find_last_of('='))));
        break;
    case ContentEnd::CutAtLimit:
        Stop(line, "The file is larger than " + std::to_string(kMaxConfigBytes >> 20) +
                       " MiB; it was read up to that size.");
        break;
    }
}

std::optional<std::string> KeyReader::readValue(std::string_view key) {
    if (Stopped())
        return std::nullopt;
    const std::string expected = std::string(key) + "=";
    for (;;) {
        // Every file Larchpost writes ends its last line, so a value that runs into the end of
        // the file may have lost its tail: a destination folder cut to "/ho" would be obeyed.
        const bool ended = lines_.NextLineEnded() || lines_.End() != ContentEnd::Complete;
        const auto line = lines_.ReadLine();
        if (!line) {
            StopAtEnd(expected);
            return std::nullopt;
        }
        if (!ended) {
            Stop(lines_.LineNumber(), "The last line, " + QuotedLine(*line) +
                                          ", has no line end: the file may be cut short.");
            return std::nullopt;
        }
        SplitResult split = classify(*line, key);
        if (split.n > 0) {
            lines_.SkipLines(split.n - 1);
            continue;
        }
        if (split.n < 0 || split.key != key) {
            Stop(lines_.LineNumber(),
                 "Expected " + expected + ", found " + QuotedLine(*line) + ".");
            return std::nullopt;
        }
        return std::move(split.value);
    }
}

int KeyReader::ReadStrKey(std::string_view key, std::string& field) {
    auto value = readValue(key);
    if (!value)
        return -1;
    field = std::move(*value);
    return 0;
}

int KeyReader::ReadBoolKey(std::string_view key, bool& field) {
    auto value = readValue(key);
    if (!value)
        return -1;
    field = *value == "0";
    return 0;
}

std::optional<std::int64_t> KeyReader::readNumber(std::string_view key) {
    auto value = readValue(key);
    if (!value)
        return std::nullopt;
    auto parsed = ParseDecimal(*value);
    if (!parsed) {
        Stop(lines_.LineNumber(), "Expected a whole number from -2147483648 to 2147483647 for " +
                                      std::string(key) + "=, found " + std::string(key) + "=" +
                                      QuotedLine(*value) + ".");
        return std::nullopt;
    }
    return *parsed;
}

int KeyReader::ReadIntKey(std::string_view key, std::int32_t& field) {
    const auto number = readNumber(key);
    if (!number)
        return -1;
    field = static_cast<std::int32_t>(*number);
    return 0;
}

int KeyReader::ReadIntKey(std::string_view key, std::uint8_t& field) {
    const auto number = readNumber(key);
    if (!number)
        return -1;
    field = static_cast<std::uint8_t>(*number & 0xFF);
    return 0;
}

int KeyReader::FindSection(std::string_view tag) {
    if (Stopped())
        return -1;
    const std::int64_t start = lines_.LineNumber() + 1;
    const auto notFound = [&] {
        Stop(start, "Error reading alarm file.  Tag, " + std::string(tag) + " not found.");
        return -1;
    };
    auto line = lines_.ReadLine();
    if (!line) {
        if (lines_.End() != ContentEnd::Complete) {
            StopAtEnd(tag);
            return -1;
        }
        return notFound();
    }
    while (*line != tag) {
        // Stray lines before a tag are skipped, but a record or a part of one (counts one too
        // low leave such lines behind) is never passed over: it would be lost at the next save.
        if (IsLayoutLine(*line)) {
            Stop(lines_.LineNumber(),
                 "Expected " + std::string(tag) + ", found " + QuotedLine(*line) + ".");
            return -1;
        }
        line = lines_.ReadLine();
        if (!line) {
            StopAtEnd(tag);
            return -1;
        }
        // A tag that stands on the last line is found only as the first line the search reads.
        if (lines_.AtEnd() && lines_.End() == ContentEnd::Complete)
            return notFound();
    }
    return 0;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text) {
    if (text.size() >= 2 && text[0] == '+' && text[1] >= '0' && text[1] <= '9')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<double> ParseVersion(std::string_view text, char systemSeparator) {
    auto parse = [](std::string_view t) -> std::optional<double> {
        double value = 0;
        const char* end = t.data() + t.size();
        auto [ptr, ec] = std::from_chars(t.data(), end, value, std::chars_format::general);
        if (t.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
            return std::nullopt;
        return value;
    };
    if (auto value = parse(text))
        return value;
    if (systemSeparator == '.' || text.find('.') != std::string_view::npos)
        return std::nullopt;
    std::string local(text);
    for (char& c : local)
        if (c == systemSeparator)
            c = '.';
    return parse(local);
}

void WriteLine(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

void WriteStrKey(std::string& out, std::string_view key, std::string_view value) {
    out += key;
    out += '=';
    // A line break would split the record and shift every later key: it becomes a blank.
    for (char c : value)
        out += (c == '\r' || c == '\n') ? ' ' : c;
    out += "\r\n";
}

void WriteIntKey(std::string& out, std::string_view key, std::int64_t value) {
    WriteStrKey(out, key, std::to_string(value));
}

void WriteBoolKey(std::string& out, std::string_view key, bool value) {
    WriteStrKey(out, key, value ? "0" : "1");
}

} // namespace lp::config
