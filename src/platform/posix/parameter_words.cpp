#include "platform/parameter_words.h"

#include <algorithm>

namespace lp::platform {

namespace {

// Reads one shell word from the start of rest and takes it off; nothing is expanded.
std::string nextWord(std::string_view& rest) {
    std::string word;
    std::size_t at = 0;
    const auto take = [&] { word.push_back(rest[at++]); };
    while (at < rest.size() && rest[at] != ' ' && rest[at] != '\t') {
        const char c = rest[at++];
        if (c == '\\') {
            if (at < rest.size())
                take();
            else
                word.push_back(c); // nothing left to take literally: the backslash stays
        } else if (c == '\'') {
            while (at < rest.size() && rest[at] != '\'')
                take();
            ++at; // the closing quote, if there is one
        } else if (c == '"') {
            while (at < rest.size() && rest[at] != '"') {
                if (rest[at] == '\\' && at + 1 < rest.size() &&
                    (rest[at + 1] == '"' || rest[at + 1] == '\\'))
                    ++at;
                take();
            }
            ++at;
        } else {
            word.push_back(c);
        }
    }
    rest.remove_prefix(std::min(at, rest.size()));
    return word;
}

} // namespace

std::vector<std::string> SplitParameterText(std::string_view text) {
    std::vector<std::string> arguments;
    for (;;) {
        const auto start = text.find_first_not_of(" \t");
        if (start == std::string_view::npos)
            return arguments;
        text.remove_prefix(start);
        arguments.push_back(nextWord(text));
    }
}

} // namespace lp::platform
