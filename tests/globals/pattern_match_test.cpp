#include "globals/pattern_match.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace lp {
namespace {

TEST(MatchPattern, Table) {
    struct Row {
        const char* name;
        const char* pattern;
        bool expected;
    };
    const std::vector<Row> rows = {
        {"song.mp3", "*.mp3", true},
        {"SONG.MP3", "*.mp3", true},
        {"song.mp3", "*.MP?", true},
        {"song.mp3", "song.mp", false},
        {"song", "song*", true},
        {"song", "song**", false},
        {"song", "song?", false},
        {"song", "?ong", true},
        {"song", "*", true},
        {"song", "*.*", false},
        {"", "*", true},
        {"", "", true},
        {"song", "", false},
        {"a.b.c", "*.c", true},
        {"~temp.tmp", "~*", true},
        {"caf\xc3\xa9.txt", "CAF\xc3\x89.TXT", false},
        {"songs", "song**", true},
        {"", "**", false},
        {"a", "**", true},
        {"ab", "a*?", true},
        {"a", "*?**", false},
        {"[x]", "[?]", true},
        {"a*b", "a?b", true},
        // "?" and "*" take whole UTF-8 characters; a byte of no valid sequence is one character.
        {"caf\xc3\xa9.txt", "caf?.txt", true},
        {"caf\xc3\xa9.txt", "caf??.txt", false},
        {"\xe6\x97\xa5\xe6\x9c\xac.mp3", "??.mp3", true},
        {"a\xff"
         "b",
         "a?b", true},
        {"a\xc0\xaf"
         "b",
         "a??b", true},               // an overlong form is no sequence
        {"\xc3\xa9", "*\xa9", false}, // a star never stops inside a character
        {"\xc3\xa9", "\xc3\xa9**", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MatchPattern(row.name, row.pattern), row.expected)
            << row.name << " / " << row.pattern;
}

// The rules exactly as the matcher states them, tried in order, without any shortcut.
bool reference(const std::string& s, std::size_t i, const std::string& p, std::size_t j) {
    auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (p.compare(j, std::string::npos, "*") == 0)
        return true;
    if (i == s.size())
        return j == p.size();
    if (j < p.size() && p[j] == '*')
        return reference(s, i, p, j + 1) || reference(s, i + 1, p, j);
    if (j < p.size() && p[j] == '?')
        return reference(s, i + 1, p, j + 1);
    return j < p.size() && up(s[i]) == up(p[j]) && reference(s, i + 1, p, j + 1);
}

// Every name up to 5 characters over {a, B} against every pattern up to 5 characters over
// {a, A, b, *, ?}: the fast matcher must agree with the plain rules everywhere.
TEST(MatchPattern, AgreesWithThePlainRulesOnEveryShortInput) {
    std::vector<std::string> names{""};
    std::vector<std::string> patterns{""};
    std::function<void(std::vector<std::string>&, const std::string&, std::size_t)> grow =
        [](std::vector<std::string>& all, const std::string& alphabet, std::size_t maxLength) {
            for (std::size_t from = 0; from < all.size(); ++from)
                if (all[from].size() < maxLength)
                    for (char c : alphabet)
                        all.push_back(all[from] + c);
        };
    grow(names, "aB", 5);
    grow(patterns, "aAb*?", 5);
    int mismatches = 0;
    for (const std::string& name : names)
        for (const std::string& pattern : patterns)
            if (MatchPattern(name, pattern) != reference(name, 0, pattern, 0) && ++mismatches <= 5)
                ADD_FAILURE() << "'" << name << "' / '" << pattern << "'";
    EXPECT_EQ(mismatches, 0);
}

// The plain rules over characters given as tokens, so that the check needs no decoding of its
// own: every name up to 4 characters over {a, é, 🎵, a stray byte} against every pattern up to 4
// tokens over {A, é, *, ?}.
bool referenceTokens(const std::vector<std::string>& s, std::size_t i,
                     const std::vector<std::string>& p, std::size_t j) {
    auto up = [](std::string t) {
        for (char& c : t)
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        return t;
    };
    if (j + 1 == p.size() && p[j] == "*")
        return true;
    if (i == s.size())
        return j == p.size();
    if (j < p.size() && p[j] == "*")
        return referenceTokens(s, i, p, j + 1) || referenceTokens(s, i + 1, p, j);
    if (j < p.size() && p[j] == "?")
        return referenceTokens(s, i + 1, p, j + 1);
    return j < p.size() && up(s[i]) == up(p[j]) && referenceTokens(s, i + 1, p, j + 1);
}

TEST(MatchPattern, AgreesWithThePlainRulesOverUnicodeCharacters) {
    using Tokens = std::vector<std::string>;
    const auto all = [](const Tokens& alphabet, std::size_t maxLength) {
        std::vector<Tokens> words{{}};
        for (std::size_t from = 0; from < words.size(); ++from)
            if (words[from].size() < maxLength)
                for (const std::string& t : alphabet) {
                    Tokens longer = words[from];
                    longer.push_back(t);
                    words.push_back(longer);
                }
        return words;
    };
    const auto join = [](const Tokens& tokens) {
        std::string text;
        for (const std::string& t : tokens)
            text += t;
        return text;
    };
    int mismatches = 0;
    for (const Tokens& name : all({"a", "\xc3\xa9", "\xf0\x9f\x8e\xb5", "\xff"}, 4))
        for (const Tokens& pattern : all({"A", "\xc3\xa9", "*", "?"}, 4))
            if (MatchPattern(join(name), join(pattern)) != referenceTokens(name, 0, pattern, 0) &&
                ++mismatches <= 5)
                ADD_FAILURE() << "'" << join(name) << "' / '" << join(pattern) << "'";
    EXPECT_EQ(mismatches, 0);
}

// A star looks for the character after it several bytes at a time in longer names: names of up to
// 30 bytes, built from bytes one bit away from a letter's other case ("@" and "`" beside "a" and
// "A", "!" beside "A"), from bytes above ASCII and from one that can make a borrow (\x01), against
// patterns of stars and ASCII characters, where the plain rules over bytes are the matcher's own.
TEST(MatchPattern, AgreesWithThePlainRulesWhereStarsSearchLongNames) {
    const std::string nameBytes = "aAb@`{[\x01!\xe1\xc1.";
    const std::string patternBytes = "aA@`[{!.";
    std::mt19937 random(7);
    const auto pick = [&](const std::string& from) { return from[random() % from.size()]; };
    int mismatches = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string name(random() % 31, ' ');
        for (char& c : name)
            c = pick(nameBytes);
        std::string pattern = "*";
        pattern += pick(patternBytes);
        if (random() % 2 == 0)
            (pattern += '*') += pick(patternBytes);
        if (random() % 2 == 0)
            pattern += '*';
        if (MatchPattern(name, pattern) != reference(name, 0, pattern, 0) && ++mismatches <= 5)
            ADD_FAILURE() << "'" << name << "' / '" << pattern << "'";
    }
    EXPECT_EQ(mismatches, 0);
}

// Branching at every star would take minutes here; the matcher must simply finish.
TEST(MatchPattern, ManyStarsAgainstLongNamesFinish) {
    const std::string name(255, 'a');
    EXPECT_FALSE(MatchPattern(name, "*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchPattern(name + "b", "*a*a*a*a*a*a*b"));
    const std::string longName(100000, 'x');
    EXPECT_TRUE(MatchPattern(longName, std::string(300, '*') + "x"));
    EXPECT_FALSE(MatchPattern(longName, "*x*x*x*x*y*"));
}

} // namespace
} // namespace lp
