#include "pattern_match.h"

namespace lp {

namespace {

char foldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Ordinary wildcard matching, where stars left over at the end of the name match nothing. Greedy
// with a return to the last star only: each star need never be revisited once a later one has
// matched, so the cost stays within name length times pattern length.
bool globMatch(std::string_view name, std::string_view pattern) {
    std::size_t s = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starS = 0;
    while (s < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starS = s;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || foldAscii(pattern[p]) == foldAscii(name[s]))) {
            ++s;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            s = ++starS;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

// The matcher's rules test "name exhausted" before "star matches nothing", so a star can match the
// empty run only while name characters remain, except for a single star that ends the pattern.
// Hence "song" against "song**" is false. Ordinary matching differs from that only for a run of
// two or more stars ending the pattern: the run must swallow at least one character, which is the
// same as matching the name without its last character against the pattern ending in one star.
bool MatchPattern(std::string_view name, std::string_view pattern) {
    std::size_t trailingStars = 0;
    while (trailingStars < pattern.size() && pattern[pattern.size() - 1 - trailingStars] == '*')
        ++trailingStars;
    if (trailingStars < 2)
        return globMatch(name, pattern);
    if (name.empty())
        return false;
    return globMatch(name.substr(0, name.size() - 1),
                     pattern.substr(0, pattern.size() - trailingStars + 1));
}

} // namespace lp
