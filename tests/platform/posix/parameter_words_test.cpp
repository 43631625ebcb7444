// The parameter text read as shell words, with nothing expanded.

#include "platform/parameter_words.h"

#include <gtest/gtest.h>

namespace lp::platform {
namespace {

TEST(ParameterWords, TheTextIsSplitAsShellWordsWithNothingExpanded) {
    struct Case {
        std::string text;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"", {}},
        {" \t ", {}},
        {"-a  -b", {"-a", "-b"}},
        {"tab\tseparated", {"tab", "separated"}},
        {"\"two words\" x", {"two words", "x"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\" ''", {"", ""}},
        {"'single \"keeps\" \\ all'", {"single \"keeps\" \\ all"}},
        {"\"a \\\" b \\\\ c \\n\"", {"a \" b \\ c \\n"}},
        {"back\\slash two\\ words \\'x \\\"y", {"backslash", "two words", "'x", "\"y"}},
        {"trailing\\", {"trailing\\"}},
        {"\"unclosed  here", {"unclosed  here"}},
        {"'unclosed  here", {"unclosed  here"}},
        {"$HOME `id` * ~ a;b", {"$HOME", "`id`", "*", "~", "a;b"}},
        {"-c 'recode \"$1\"' sh mfile", {"-c", "recode \"$1\"", "sh", "mfile"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitParameterText(c.text), c.arguments) << '[' << c.text << ']';
}

} // namespace
} // namespace lp::platform
