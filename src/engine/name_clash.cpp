#include "name_clash.h"

#include "globals/utf8_sequence.h"
#include "platform/path_separator.h"

#include <algorithm>

namespace lp {

std::string NumberedPath(const std::string& path, int number) {
    const std::size_t nameStart = platform::NameStartIn(path);
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > nameStart;
    const std::size_t insertAt = hasExtension ? dot : path.size();
    const std::string mark = " (" + std::to_string(number) + ')';
    // A name that would grow past what a file system takes gives up the end of its stem.
    const std::string_view stem(path.data() + nameStart, insertAt - nameStart);
    const std::size_t rest = path.size() - insertAt + mark.size();
    const std::size_t stemKept =
        rest >= kLongestName ? stem.size() : CharacterCut(stem, kLongestName - rest);
    std::string numbered = path.substr(0, nameStart + stemKept);
    return numbered.append(mark).append(path, insertAt);
}

std::optional<std::string> NameBeforeNumber(std::string_view name) {
    const auto dot = name.rfind('.');
    const std::size_t stemEnd = dot == std::string_view::npos || dot == 0 ? name.size() : dot;
    const std::string_view stem = name.substr(0, stemEnd);
    const auto open = stem.rfind(" (");
    if (open == std::string_view::npos || !stem.ends_with(')') || open + 3 > stem.size() - 1)
        return std::nullopt;
    const std::string_view number = stem.substr(open + 2, stem.size() - open - 3);
    if (!std::ranges::all_of(number, [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::string(stem.substr(0, open)).append(name.substr(stemEnd));
}

std::optional<std::string> PlaceAsPolicySays(const std::string& destination, NameClash clash,
                                             const PlaceAttempt& attempt) {
    const bool replace = clash == NameClash::Replace;
    switch (attempt(destination, replace)) {
    case Placing::Done:
        return destination;
    case Placing::Failed:
        return std::nullopt;
    case Placing::NameTaken:
        break;
    }
    if (clash != NameClash::KeepBoth)
        return std::nullopt;
    for (int number = 2; number <= kMostNumbers; ++number) {
        std::string candidate = NumberedPath(destination, number);
        switch (attempt(candidate, false)) {
        case Placing::Done:
            return candidate;
        case Placing::Failed:
            return std::nullopt;
        case Placing::NameTaken:
            break;
        }
    }
    return std::nullopt;
}

} // namespace lp
