// A launch action's parameter text and a file name from outside: splitting must end and must
// read back what quoting wrote, a path must go in whole and once per placeholder, and a printed
// value must hold no control character yet give back every byte.

#include "engine/launch_arguments.h"
#include "engine/operation_report.h"
#include "platform/parameter_words.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::size_t placeholders(std::string_view text) {
    std::size_t count = 0;
    for (auto at = text.find(lp::kFilePlaceholder); at != std::string_view::npos;
         at = text.find(lp::kFilePlaceholder, at + lp::kFilePlaceholder.size()))
        ++count;
    return count;
}

// The words again as a parameter text, each in single quotes.
std::string quotedAgain(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        text.append(text.empty() ? "'" : " '");
        for (const char c : word)
            text.append(c == '\'' ? "'\\''" : std::string(1, c));
        text.push_back('\'');
    }
    return text;
}

// What a printed value stands for, read back by the program's own reader, so that every input
// checks the writer and the reader against each other.
std::optional<std::string> unquoted(std::string_view quoted) {
    auto value = lp::ReadQuotedValue(quoted);
    if (!value || !quoted.empty())
        return std::nullopt;
    return value;
}

bool showsNoControl(std::string_view quoted) {
    for (std::size_t at = 0; at < quoted.size(); ++at) {
        const auto c = static_cast<unsigned char>(quoted[at]);
        if (c < 0x20 || c == 0x7F)
            return false;
        const bool c1 = c == 0xC2 && at + 1 < quoted.size() &&
                        static_cast<unsigned char>(quoted[at + 1]) <= 0x9F;
        if (c1)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first line is the parameter text, the rest the file's path.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::string_view params = input.substr(0, newline);
    const std::string_view path =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const auto arguments = lp::platform::SplitParameterText(params);
    if (lp::platform::SplitParameterText(quotedAgain(arguments)) != arguments)
        std::abort();
    const auto filled = lp::InsertFilePath(arguments, path);
    if (filled.size() != arguments.size())
        std::abort();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::size_t count = placeholders(arguments[i]);
        const std::size_t expected =
            arguments[i].size() + count * (path.size() - lp::kFilePlaceholder.size());
        if (filled[i].size() != expected)
            std::abort();
    }
    const std::string quoted = lp::QuoteValue(path);
    if (!showsNoControl(quoted) || unquoted(quoted) != std::string(path))
        std::abort();
    return 0;
}
