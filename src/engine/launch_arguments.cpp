#include "launch_arguments.h"

namespace lp {

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
