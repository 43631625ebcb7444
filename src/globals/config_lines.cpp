#include "config_lines.h"

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

LineSource::LineSource(std::string content, bool readFailed)
    : content_(std::move(content)), readFailed_(readFailed) {
    for (char c : content_)
        totalLines_ += c == '\n';
    if (!content_.empty() && content_.back() != '\n')
        ++totalLines_;
}

std::optional<std::string_view> LineSource::PeekLine() const {
    if (AtEnd()) {
        if (readFailed_)
            return std::nullopt;
        return std::string_view();
    }
    const std::string_view rest = std::string_view(content_).substr(pos_);
    return stripLineEnd(rest.substr(0, rest.find('\n')));
}

std::optional<std::string_view> LineSource::ReadLine() {
    auto line = PeekLine();
    if (!AtEnd()) {
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

std::string KeyReader::readLineOrReport(std::string_view key) {
    auto line = lines_.ReadLine();
    if (line)
        return std::string(*line);
    sink_("Error Reading Input File: " + std::string(key));
    incomplete_ = true;
    return {};
}

std::optional<std::string> KeyReader::readValue(std::string_view key, bool& keyMatched) {
    keyMatched = false;
    SplitResult split = classify(readLineOrReport(key), key);
    while (split.n > 0) {
        lines_.SkipLines(split.n - 1);
        split = classify(readLineOrReport(key), key);
    }
    if (split.n < 0)
        return std::nullopt;
    keyMatched = split.key == key;
    return std::move(split.value);
}

int KeyReader::ReadStrKey(std::string_view key, std::string& field) {
    bool matched = false;
    auto value = readValue(key, matched);
    if (!value)
        return -1;
    field = std::move(*value);
    return matched ? 0 : -1;
}

int KeyReader::ReadBoolKey(std::string_view key, bool& field) {
    bool matched = false;
    auto value = readValue(key, matched);
    if (!value)
        return -1;
    field = *value == "0";
    return matched ? 0 : -1;
}

int KeyReader::readNumber(std::string_view key, std::int64_t& number) {
    bool matched = false;
    auto value = readValue(key, matched);
    if (!value)
        return -1;
    auto parsed = ParseDecimal(*value);
    if (!parsed) {
        badNumber_ = true;
        return -1;
    }
    number = *parsed;
    return matched ? 0 : -1;
}

int KeyReader::ReadIntKey(std::string_view key, std::int32_t& field) {
    std::int64_t number = field;
    const int result = readNumber(key, number);
    field = static_cast<std::int32_t>(number);
    return result;
}

int KeyReader::ReadIntKey(std::string_view key, std::uint8_t& field) {
    std::int64_t number = field;
    const int result = readNumber(key, number);
    field = static_cast<std::uint8_t>(number & 0xFF);
    return result;
}

int KeyReader::FindSection(std::string_view tag) {
    auto line = lines_.ReadLine();
    while (line && *line != tag) {
        line = lines_.ReadLine();
        if (line && lines_.AtEnd()) {
            sink_("Error reading alarm file.  Tag, " + std::string(tag) + " not found.");
            incomplete_ = true;
            return -1;
        }
    }
    if (!line) {
        incomplete_ = true;
        return -1;
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
