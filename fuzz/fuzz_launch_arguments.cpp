// A launch action's parameter text and a file name from outside: splitting must end, a path
// must go in whole and once per placeholder, and a printed line must stay one line.

#include "engine/launch_arguments.h"
#include "engine/operation_report.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::size_t placeholders(std::string_view text) {
    std::size_t count = 0;
    for (auto at = text.find(lp::kFilePlaceholder); at != std::string_view::npos;
         at = text.find(lp::kFilePlaceholder, at + lp::kFilePlaceholder.size()))
        ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first line is the parameter text, the rest the file's path.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::string_view params = input.substr(0, newline);
    const std::string_view path =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const auto arguments = lp::SplitParameterText(params);
    const auto filled = lp::InsertFilePath(arguments, path);
    if (filled.size() != arguments.size())
        std::abort();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::size_t count = placeholders(arguments[i]);
        const std::size_t expected =
            arguments[i].size() + count * (path.size() - lp::kFilePlaceholder.size());
        if (filled[i].size() != expected)
            std::abort();
        const std::string quoted = lp::QuoteValue(filled[i]);
        if (quoted.find('\n') != std::string::npos || quoted.find('\r') != std::string::npos)
            std::abort();
    }
    return 0;
}
