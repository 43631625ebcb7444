#include "command_line.h"
#include "quoted_value.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace lp {

namespace {

// A day: a longer pause is surely a typing slip, and far larger values would not fit the timer.
constexpr std::int64_t kLongestIntervalMs = 86'400'000;

bool isStartupWord(const std::string& arg) {
    static constexpr std::string_view word = "startup";
    return arg.size() == word.size() &&
           std::equal(arg.begin(), arg.end(), word.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

std::optional<std::int64_t> parseCount(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

Problem parseCommandLine(const std::vector<std::string>& args, CommandLine& out) {
    CommandLine result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (isStartupWord(arg)) {
            result.startHidden = true;
            continue;
        }
        // "-h" is the short form every Linux user tries first; it must not start a sorter.
        if (i > 0 && arg == "-h") {
            result.help = true;
            break;
        }
        if (i == 0 || arg.rfind("--", 0) != 0)
            continue;
        const auto takesValue = [](std::string_view option) {
            return option == "--config" || option == "--interval" || option == "--cycles" ||
                   option == "--folder";
        };
        // "--folder=1" is read by some programs; here the value follows as a word of its own,
        // and the refusal says so rather than calling the option unknown.
        if (const auto equals = arg.find('=');
            equals != std::string::npos && takesValue(std::string_view(arg).substr(0, equals))) {
            const std::string option = arg.substr(0, equals);
            if (equals + 1 == arg.size())
                return "Option " + option + " needs a value, as the next word.";
            return "Option " + option + " takes its value as the next word: " +
                   QuoteValue(option + " " + arg.substr(equals + 1)) + ".";
        }
        if (takesValue(arg) && i + 1 >= args.size())
            return "Option " + arg + " needs a value.";
        if (arg == "--config") {
            result.configPath = args[++i];
            if (result.configPath->empty())
                return std::string("Option --config needs a file path.");
        } else if (arg == "--folder") {
            // One simulation, one folder: the last of two must not win unnoticed.
            if (result.folder)
                return "Option --folder is given twice (" + QuoteValue(*result.folder) + " and " +
                       QuoteValue(args[i + 1]) + "); give one folder.";
            result.folder = args[++i];
            if (result.folder->empty())
                return std::string("Option --folder needs a folder's name or number.");
        } else if (arg == "--interval" || arg == "--cycles") {
            const std::string& value = args[++i];
            auto number = parseCount(value);
            if (!number)
                return "Option " + arg + " needs a whole number of 0 or more, not " +
                       QuoteValue(value) + ".";
            if (arg == "--interval" && *number > kLongestIntervalMs)
                return "Option --interval takes at most " + std::to_string(kLongestIntervalMs) +
                       " milliseconds (a day), not " + QuoteValue(value) + ".";
            if (arg == "--interval")
                result.intervalMs = *number;
            else
                result.cycles = *number;
        } else if (arg == "--headless") {
            result.headless = true;
        } else if (arg == "--simulate") {
            result.simulate = true;
        } else if (arg == "--verbose") {
            result.verbose = true;
        } else if (arg == "--help" || arg == "--version") {
            result.help = arg == "--help";
            result.version = arg == "--version";
            break;
        } else {
            return "Unknown option: " + QuoteValue(arg);
        }
    }
    if (result.folder && !result.simulate && !result.help && !result.version)
        return std::string("Option --folder works only with --simulate.");
    out = result;
    return std::nullopt;
}

} // namespace lp
