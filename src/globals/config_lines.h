#pragma once
// The line operations of the configuration file: classifying a line, reading one expected key,
// finding a section tag, and writing one key line. Used only by config_file.cpp and its tests.

#include "message_sink.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lp::config {

// One line classified: N = 0 for a key line (key and value set), N > 0 for a skip line that skips
// N further lines, N = -1 for a section tag or any other bracketed line.
struct SplitResult {
    int n = 0;
    std::string key;
    std::string value;
};

SplitResult SplitLine(std::string_view line);

// The file's lines, one after the other, CR LF or LF ended. Reading past the end gives empty
// lines, as reading a truncated file always did.
class LineSource {
public:
    // readFailed: the file could not be read to its end; content holds what was read.
    explicit LineSource(std::string content, bool readFailed = false);

    // The next line without its line end; nullopt when the line could not be read.
    std::optional<std::string_view> ReadLine();
    std::optional<std::string_view> PeekLine() const;
    // Skips up to count lines; past the end nothing remains to skip.
    void SkipLines(std::int64_t count);
    bool AtEnd() const { return pos_ >= content_.size(); }
    // How many lines are left unread; bounds every count read from the file.
    std::int64_t RemainingLines() const { return totalLines_ - linesRead_; }

private:
    std::string content_;
    std::size_t pos_ = 0;
    bool readFailed_ = false;
    std::int64_t totalLines_ = 0;
    std::int64_t linesRead_ = 0;
};

// Reads the keys of the file in their fixed order. Each Read*Key returns 0 when the line carried
// the expected key, -1 otherwise; the value is stored whenever the line was a key line.
class KeyReader {
public:
    KeyReader(LineSource& lines, const MessageSink& sink) : lines_(lines), sink_(sink) {}

    int ReadStrKey(std::string_view key, std::string& field);
    int ReadIntKey(std::string_view key, std::int32_t& field);
    int ReadIntKey(std::string_view key, std::uint8_t& field); // keeps the low 8 bits
    int ReadBoolKey(std::string_view key, bool& field);        // true exactly when the value is "0"
    int FindSection(std::string_view tag);

    // True once an integer value was empty or not a number: the layout is lost from there on.
    bool BadNumber() const { return badNumber_; }
    // True once a line could not be read or a section tag was not found.
    bool Incomplete() const { return incomplete_; }
    LineSource& Lines() { return lines_; }

private:
    // Reads the line carrying key, following skip lines. nullopt when it was a tag.
    std::optional<std::string> readValue(std::string_view key, bool& keyMatched);
    std::string readLineOrReport(std::string_view key);
    int readNumber(std::string_view key, std::int64_t& value);

    LineSource& lines_;
    const MessageSink& sink_;
    bool badNumber_ = false;
    bool incomplete_ = false;
};

// A decimal 32-bit integer with an optional sign and nothing else around it.
std::optional<std::int32_t> ParseDecimal(std::string_view text);

// The file's version number: "." as the decimal separator, else the system's separator.
std::optional<double> ParseVersion(std::string_view text, char systemSeparator);

void WriteStrKey(std::string& out, std::string_view key, std::string_view value);
void WriteIntKey(std::string& out, std::string_view key, std::int64_t value);
void WriteBoolKey(std::string& out, std::string_view key, bool value);
// A section tag or any other whole line.
void WriteLine(std::string& out, std::string_view line);

} // namespace lp::config
