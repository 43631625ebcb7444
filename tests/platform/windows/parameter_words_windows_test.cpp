// The parameter text read as a Windows program reads its command line: paths keep their
// backslashes, and apostrophes are letters.

#include "platform/parameter_words.h"

#include <gtest/gtest.h>

namespace lp::platform {
namespace {

TEST(ParameterWords, TheTextIsSplitAsAProgramsCommandLineWithPathsKeptWhole) {
    struct Case {
        std::string text;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"", {}},
        {" \t ", {}},
        {"/c type mfile >> Z:\\tmp\\L\\u.log", {"/c", "type", "mfile", ">>", "Z:\\tmp\\L\\u.log"}},
        {"\"C:\\Program Files\\x\" mfile", {"C:\\Program Files\\x", "mfile"}},
        {"echo it's", {"echo", "it's"}},
        {"\"\" x", {"", "x"}},
        {"a\\\"b \"c\\\\\" d\\\\", {"a\"b", "c\\", "d\\\\"}},
        {"\"unclosed  here", {"unclosed  here"}},
        {"Grüße 音楽", {"Grüße", "音楽"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitParameterText(c.text), c.arguments) << '[' << c.text << ']';
}

} // namespace
} // namespace lp::platform
