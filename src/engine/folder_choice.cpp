#include "folder_choice.h"
#include "globals/quoted_value.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace lp {

namespace {

// The folders of the main window's list, in the order of its lines.
std::vector<std::size_t> listedFolders(const ServiceTable& table) {
    std::vector<std::size_t> listed;
    for (std::size_t i = 0; i < table.services.size(); ++i)
        if (table.services[i].serviceid == kOtherService)
            listed.push_back(i);
    std::ranges::stable_sort(listed, {}, [&](std::size_t i) { return table.services[i].othernum; });
    return listed;
}

std::string folderNames(const ServiceTable& table, const std::vector<std::size_t>& listed) {
    std::string names;
    for (std::size_t line = 0; line < listed.size(); ++line) {
        names += line == 0 ? "" : ", ";
        names +=
            std::to_string(line + 1) + " " + QuoteValue(table.services[listed[line]].othername);
    }
    return names;
}

} // namespace

std::variant<std::size_t, std::string> ChooseFolder(const ServiceTable& table,
                                                    const std::string& nameOrNumber) {
    const std::vector<std::size_t> listed = listedFolders(table);
    if (listed.empty())
        return std::string("the configuration has no folders to choose from.");
    const bool isNumber =
        std::ranges::all_of(nameOrNumber, [](char c) { return c >= '0' && c <= '9'; });
    if (isNumber) {
        std::size_t line = 0;
        const char* end = nameOrNumber.data() + nameOrNumber.size();
        const auto [ptr, ec] = std::from_chars(nameOrNumber.data(), end, line);
        if (ec == std::errc() && ptr == end && line >= 1 && line <= listed.size())
            return listed[line - 1];
        return "there is no folder number " + QuoteValue(nameOrNumber) + "; the folders are " +
               folderNames(table, listed) + ".";
    }
    std::vector<std::size_t> named;
    for (std::size_t line = 0; line < listed.size(); ++line)
        if (table.services[listed[line]].othername == nameOrNumber)
            named.push_back(line);
    if (named.size() == 1)
        return listed[named.front()];
    if (named.empty())
        return "no folder is named " + QuoteValue(nameOrNumber) + "; the folders are " +
               folderNames(table, listed) + ".";
    std::string numbers;
    for (const std::size_t line : named)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(line + 1);
    return std::to_string(named.size()) + " folders are named " + QuoteValue(nameOrNumber) +
           " (numbers " + numbers + "); give the number of the one meant.";
}

std::string SimulationHeading(const rServiceRules* folder) {
    const std::string counting =
        " counts as new, as if it had just arrived. The running program acts only on files that "
        "arrive while it runs, so these lines are not what it will do next.";
    if (!folder)
        return "larchpost: simulating every folder that is on: every file now in them" + counting;
    std::string heading = "larchpost: simulating the folder " + QuoteValue(folder->othername);
    if (!folder->enabled)
        heading += " (off: the running program does not sort it)";
    return heading + ": every file now in it" + counting;
}

} // namespace lp
