#include "pattern_match.h"
#include "utf8_sequence.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace lp {

namespace {

char foldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The length of the character at pos: one whole UTF-8 sequence, or a single byte where the bytes
// there are no valid sequence (an overlong form, a lone continuation byte, a cut sequence).
std::size_t characterLength(std::string_view text, std::size_t pos) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) // most names are ASCII throughout
        return 1;
    return std::max<std::size_t>(Utf8SequenceLength(text.substr(pos)), 1);
}

// Where in name, from pos on, the ASCII pattern character wanted could match: the first byte
// equal to it, ASCII letters without case; the name's end where there is none. A star spends
// most of a match's time here. Setting the 0x20 bit maps exactly the two cases of a letter, and
// no other byte, onto the lower-case letter, so the test is one OR and one compare per byte, and
// it is made on eight bytes at once where the machine's byte order allows.
std::size_t nextPossibleStart(std::string_view name, std::size_t pos, char wanted) {
    const bool letter = foldAscii(wanted) >= 'A' && foldAscii(wanted) <= 'Z';
    const auto caseBit = static_cast<unsigned char>(letter ? 0x20 : 0);
    const auto target = static_cast<unsigned char>(static_cast<unsigned char>(wanted) | caseBit);
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101;
        constexpr std::uint64_t kHighBits = kOnes * 0x80;
        // A flag in the high bit of each of the eight bytes at from that matches; the lowest
        // flag is the first match (a borrow can flag bytes only above a matching one).
        const auto matchesAt = [&](std::size_t from) {
            std::uint64_t word = 0;
            std::memcpy(&word, name.data() + from, sizeof word);
            const std::uint64_t differences = (word | (kOnes * caseBit)) ^ (kOnes * target);
            return (differences - kOnes) & ~differences & kHighBits;
        };
        const auto firstOf = [](std::uint64_t flags) {
            return static_cast<std::size_t>(std::countr_zero(flags)) / 8;
        };
        for (; pos + 8 <= name.size(); pos += 8)
            if (const std::uint64_t flags = matchesAt(pos); flags != 0)
                return pos + firstOf(flags);
        // The rest of a name of eight bytes or more: its last eight, those before pos left out.
        if (pos < name.size() && name.size() >= 8) {
            const std::size_t last = name.size() - 8;
            const std::uint64_t flags = matchesAt(last) & (~std::uint64_t{0} << (8 * (pos - last)));
            return flags != 0 ? last + firstOf(flags) : name.size();
        }
    }
    while (pos < name.size() && (static_cast<unsigned char>(name[pos]) | caseBit) != target)
        ++pos;
    return pos;
}

// Whether the pattern character at p is one a star can search the name for.
bool searchable(std::string_view pattern, std::size_t p) {
    return p < pattern.size() && pattern[p] != '?' && pattern[p] != '*' &&
           static_cast<unsigned char>(pattern[p]) < 0x80;
}

// Ordinary wildcard matching over characters, where stars left over at the end of the name match
// nothing. "?" takes one character and a star swallows whole characters; every other pattern
// byte must equal the name's byte (ASCII letters without case). Greedy with a return to the last
// star only: each star need never be revisited once a later one has matched, so the cost stays
// within name length times pattern length.
bool globMatch(std::string_view name, std::string_view pattern) {
    std::size_t s = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starS = 0;
    while (s < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            // The star takes at once the characters the one after it could not start from.
            if (searchable(pattern, p))
                s = nextPossibleStart(name, s, pattern[p]);
            starS = s;
        } else if (p < pattern.size() && pattern[p] == '?') {
            s += characterLength(name, s);
            ++p;
        } else if (p < pattern.size() && foldAscii(pattern[p]) == foldAscii(name[s])) {
            ++s;
            ++p;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            starS += characterLength(name, starS);
            // The star takes characters up to the next one that the ASCII character after it
            // could match; an ASCII byte is always a character of its own, so none is skipped
            // that could start the rest of the match.
            if (searchable(pattern, p))
                starS = nextPossibleStart(name, starS, pattern[p]);
            s = starS;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// Where the name's last character begins.
std::size_t lastCharacterStart(std::string_view name) {
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < name.size(); pos += characterLength(name, pos))
        start = pos;
    return start;
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
    return globMatch(name.substr(0, lastCharacterStart(name)),
                     pattern.substr(0, pattern.size() - trailingStars + 1));
}

} // namespace lp
