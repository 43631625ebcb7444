#include "recent_activity.h"
#include "platform/utf8_path.h"

#include <algorithm>
#include <fstream>

namespace lp {

namespace {

// The last bytes of the file at path (all of it when shorter), starting at a line's start.
std::string tailOf(const std::string& path, std::size_t bytes) {
    std::ifstream in(platform::Utf8Path(path), std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const auto size = static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0));
    const std::size_t from = size > bytes ? size - bytes : 0;
    in.seekg(static_cast<std::streamoff>(from));
    std::string text(size - from, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (from > 0) {
        const std::size_t lineStart = text.find('\n');
        text.erase(0, lineStart == std::string::npos ? text.size() : lineStart + 1);
    }
    return text;
}

void parseLines(const std::string& text, std::vector<ActivityEntry>& into) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break; // a line still being written, or cut short by a kill
        if (auto entry = ParseActivityLine(std::string_view(text).substr(start, end - start)))
            into.push_back(std::move(*entry));
        start = end + 1;
    }
}

} // namespace

std::vector<ActivityEntry> RecentActivity(const std::string& path, std::size_t bytes) {
    const std::string newest = tailOf(path, bytes);
    std::vector<ActivityEntry> entries;
    if (newest.size() < bytes)
        parseLines(tailOf(path + ".1", bytes - newest.size()), entries);
    parseLines(newest, entries);
    return entries;
}

} // namespace lp
