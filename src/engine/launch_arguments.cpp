#include "launch_arguments.h"

namespace lp {

std::vector<std::string> SplitParameterText(std::string_view text) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true; // "" is an empty argument of its own
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current.push_back(c);
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

std::vector<std::string> InsertFilePath(std::vector<std::string> arguments, std::string_view path) {
    for (std::string& argument : arguments) {
        std::string replaced;
        std::size_t from = 0;
        for (auto at = argument.find(kFilePlaceholder); at != std::string::npos;
             at = argument.find(kFilePlaceholder, from)) {
            replaced.append(argument, from, at - from).append(path);
            from = at + kFilePlaceholder.size();
        }
        if (from == 0)
            continue;
        replaced.append(argument, from);
        argument = std::move(replaced);
    }
    return arguments;
}

} // namespace lp
