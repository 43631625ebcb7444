#include "clean_file_mappings.h"

#include <charconv>

namespace lp::platform {
namespace {

std::string_view nextField(std::string_view& line) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        line = {};
        return {};
    }
    line.remove_prefix(start);
    const std::size_t end = line.find(' ');
    const std::string_view field = line.substr(0, end);
    line.remove_prefix(end == std::string_view::npos ? line.size() : end);
    return field;
}

template <class Number> bool parseNumber(std::string_view text, Number& value, int base = 10) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

// A mapping's first line: "start-end perms offset major:minor inode [path]".
struct MappingHeader {
    MappedRange range;
    bool privateFile = false;
};

bool parseHeader(std::string_view line, MappingHeader& header) {
    const std::string_view addresses = nextField(line);
    const std::size_t dash = addresses.find('-');
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    if (dash == std::string_view::npos || !parseNumber(addresses.substr(0, dash), start, 16) ||
        !parseNumber(addresses.substr(dash + 1), end, 16) || end < start)
        return false;
    const std::string_view permissions = nextField(line);
    nextField(line); // offset
    nextField(line); // device
    std::uint64_t inode = 0;
    if (permissions.size() != 4 || !parseNumber(nextField(line), inode))
        return false;
    // Memory files and files deleted since have no copy on disk to read back from.
    const std::size_t pathStart = line.find_first_not_of(' ');
    const std::string_view path =
        pathStart == std::string_view::npos ? std::string_view() : line.substr(pathStart);
    const bool named =
        path.starts_with('/') && !path.starts_with("/memfd:") && !path.ends_with(" (deleted)");
    header.range = {start, static_cast<std::size_t>(end - start)};
    // Only a mapping nothing can write through: dropping a page of it can never lose data.
    header.privateFile = permissions[1] != 'w' && permissions[3] == 'p' && inode != 0 && named;
    return true;
}

} // namespace

std::vector<MappedRange> CleanFileMappings(std::string_view smaps) {
    std::vector<MappedRange> ranges;
    MappingHeader current;
    bool resident = false;
    bool clean = false;
    while (!smaps.empty()) {
        const std::size_t end = smaps.find('\n');
        std::string_view line = smaps.substr(0, end);
        smaps.remove_prefix(end == std::string_view::npos ? smaps.size() : end + 1);
        // A field line starts with its name and a colon; a mapping's first line has none in its
        // first word, the address range.
        std::string_view rest = line;
        const std::string_view first = nextField(rest);
        if (first.empty())
            continue;
        const std::size_t colon = first.find(':');
        if (colon == std::string_view::npos) {
            // A header that cannot be read leaves the mapping after it out.
            current = {};
            clean = parseHeader(line, current);
            resident = false;
            continue;
        }
        const std::string_view key = first.substr(0, colon + 1);
        rest = line.substr(line.find(':') + 1);
        if (key == "VmFlags:") {
            // The last line of a mapping: one cut short, by a limit on the text, is left out.
            for (std::string_view flag = nextField(rest); !flag.empty(); flag = nextField(rest))
                clean = clean && flag != "lo"; // locked pages stay whatever is asked
            if (current.privateFile && resident && clean)
                ranges.push_back(current.range);
            current = {};
            continue;
        }
        std::uint64_t kilobytes = 0;
        if (!parseNumber(nextField(rest), kilobytes)) {
            clean = false; // a value not understood: leave the mapping alone
            continue;
        }
        if (key == "Rss:")
            resident = kilobytes > 0;
        else if (key == "Anonymous:" || key == "Private_Dirty:" || key == "Shared_Dirty:" ||
                 key == "Locked:")
            clean = clean && kilobytes == 0;
    }
    return ranges;
}

} // namespace lp::platform
