#pragma once
// The line operations of the configuration file: classifying a line, reading one expected key,
// finding a section tag, and writing one key line. Used only by the configuration reader and
// writer and their tests.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lp::config {

// Far beyond any table a person builds (a folder with a rule takes a few hundred bytes), and
// small enough that what the reader makes of any file stays a modest amount of memory.
constexpr std::size_t kMaxConfigBytes = std::size_t{4} << 20;

// One line classified: N = 0 for a key line (key and value set), N > 0 for a skip line that skips
// N further lines, N = -1 for a section tag or any other bracketed line.
struct SplitResult {
    int n = 0;
    std::string key;
    std::string value;
};

SplitResult SplitLine(std::string_view line);

// "[Main Info]", "[Service N]" or "[Rule N]": the tags that begin a record of the layout.
bool IsRecordTag(std::string_view line);

// A record tag, or a key line of one of the layout's own keys: a line that belongs to a record,
// which reading must never pass over.
bool IsLayoutLine(std::string_view line);

// A line as a message may quote it: long lines are cut.
std::string QuotedLine(std::string_view line);

// Why the content ends where it does.
enum class ContentEnd {
    Complete,   // the whole file was read
    Unreadable, // a read error stopped loading; content holds what came before it
    CutAtLimit, // the file is larger than kMaxConfigBytes; content holds its first lines
};

// The file's lines, one after the other, CR LF or LF ended.
class LineSource {
public:
    explicit LineSource(std::string content, ContentEnd end = ContentEnd::Complete);

    // The next line without its line end; nullopt once no line is left.
    std::optional<std::string_view> ReadLine();
    std::optional<std::string_view> PeekLine() const;
    // Skips up to count lines; past the end nothing remains to skip.
    void SkipLines(std::int64_t count);
    bool AtEnd() const { return pos_ >= content_.size(); }
    // Whether the next line is followed by a line end; a file cut short ends without one.
    bool NextLineEnded() const { return content_.find('\n', pos_) != std::string::npos; }
    // The number of the line read last, counting from 1 (0 before the first).
    std::int64_t LineNumber() const { return linesRead_; }
    ContentEnd End() const { return end_; }

private:
    std::string content_;
    std::size_t pos_ = 0;
    ContentEnd end_;
    std::int64_t linesRead_ = 0;
};

// Where and why reading stopped.
struct ReadProblem {
    std::int64_t line = 0;
    std::string what;
};

// Reads the keys of the file in their fixed order. The first line that is not what the layout
// expects there (another key, a tag, the end of the file, a number that is none) stops reading:
// every later read returns -1 and changes nothing, and Problem() says where and why.
class KeyReader {
public:
    explicit KeyReader(LineSource& lines) : lines_(lines) {}

    // Each returns 0 when the line carried the expected key and its value was stored, else -1.
    int ReadStrKey(std::string_view key, std::string& field);
    int ReadIntKey(std::string_view key, std::int32_t& field);
    int ReadIntKey(std::string_view key, std::uint8_t& field); // keeps the low 8 bits
    int ReadBoolKey(std::string_view key, bool& field);        // true exactly when the value is "0"
    // Advances to the tag. Stray lines before it are skipped, layout lines are not.
    int FindSection(std::string_view tag);

    // Stops reading at line for the reason given, unless it stopped already.
    void Stop(std::int64_t line, std::string what);
    // Stops reading because the lines ran out where `expected` should follow.
    void StopAtEnd(std::string_view expected);
    bool Stopped() const { return problem_.has_value(); }
    const std::optional<ReadProblem>& Problem() const { return problem_; }
    LineSource& Lines() { return lines_; }

private:
    // The value of the line carrying key, following skip lines; nullopt once reading stopped.
    std::optional<std::string> readValue(std::string_view key);
    std::optional<std::int64_t> readNumber(std::string_view key);

    LineSource& lines_;
    std::optional<ReadProblem> problem_;
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
