// On Linux "\" is a character of a name: a destination's folders are split at "/" alone, while
// values made from a file still never hold either separator.

#include "globals/path_template.h"

#include <gtest/gtest.h>

namespace lp {
namespace {

TEST(PathTemplate, BackslashIsPartOfANameHere) {
    const auto parsed = PathTemplate::Parse("/in\\box/a\\{year}", PathTemplate::Kind::Destination);
    ASSERT_TRUE(std::holds_alternative<PathTemplate>(parsed));
    const auto& destination = std::get<PathTemplate>(parsed);
    EXPECT_EQ(destination.fixedFolder(), "/in\\box");
    TemplateFacts facts;
    facts.name = "x\\y";
    facts.written = 46086.5; // 2026-03-05 12:00
    EXPECT_EQ(destination.foldersBelow(facts), std::vector<std::string>{"a\\2026"});
    const auto name = PathTemplate::Parse("a\\{name}", PathTemplate::Kind::Name);
    ASSERT_TRUE(std::holds_alternative<PathTemplate>(name));
    EXPECT_EQ(std::get<PathTemplate>(name).name(facts), "a\\x_y");
}

} // namespace
} // namespace lp
