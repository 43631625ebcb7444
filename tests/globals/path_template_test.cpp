// Templates as the dialogs and the reader see them, and values no file on a disk can carry (a
// "/" inside a sub-folder's name).

#include "globals/path_template.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace lp {
namespace {

// "{name}.{ext}" gives back the very name, whatever dots it has or lacks.
TEST(PathTemplate, NameAndExtensionGiveBackTheName) {
    const auto parsed = PathTemplate::Parse("{name}.{ext}", PathTemplate::Kind::Name);
    ASSERT_TRUE(std::holds_alternative<PathTemplate>(parsed));
    for (const char* name : {"photo.jpg", "README", "end.", ".profile", "a.b.c", "..x"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(std::get<PathTemplate>(parsed).name(FactsOfName(name, 0, 0)), name);
    }
}

TEST(PathTemplate, ParsesExpandsAndRefuses) {
    TemplateFacts facts;
    facts.name = "re/port\\x\xC2\x9B\xC3\xA9"; // a C1 control character, then an accent
    facts.ext = "pdf";
    facts.written = 46086.5; // 2026-03-05 12:00
    facts.today = 46365.0;   // 2026-12-09
    facts.subFolder = "2026/../a\x01/.";
    struct Case {
        const char* stored;
        PathTemplate::Kind kind;
        std::string fixed;                // a destination's fixed folder
        std::vector<std::string> below;   // or a name's single element
        std::string refusedPlaceholder{}; // set when refused for an unknown placeholder
        bool refused = false;
    };
    const auto D = PathTemplate::Kind::Destination;
    const auto N = PathTemplate::Kind::Name;
    const std::vector<Case> cases = {
        {"/p/{year}/{month}", D, "/p", {"2026", "03"}},
        {"/p/{today.year}-{today.month}-{today.day}", D, "/p", {"2026-12-09"}},
        {"/p/{taken.year}", D, "/p", {"2026"}}, // no capture date: the last-write time
        {"/p/{name}", D, "/p", {"re_port_x_\xC3\xA9"}},
        {"/p/{folder}/x", D, "/p", {"2026", "_", "a_", "_", "x"}},
        {"/{year}", D, "/", {"2026"}},
        {"/a{{b}/c/{ext}", D, "/a{b}/c", {"pdf"}},
        {"/a/b{{c", D, "/a/b{c", {}},
        {"/a/{ext}}", D, "/a", {"pdf}"}},
        {"{year}/x", D, "", {}, "", true},
        {"dst/{year}", D, "", {}, "", true}, // relative to wherever the program started
        {"/a/{Year}", D, "", {}, "Year", true},
        {"/a/{year", D, "", {}, "", true},
        {"/a/{year}/..", D, "", {}, "", true},
        {"{name}.{ext}", N, "", {"re_port_x_\xC3\xA9.pdf"}},
        {"{folder}", N, "", {"2026___a___"}},
        {"x/{name}", N, "", {}, "", true},
        {"{size}", N, "", {}, "size", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const auto parsed = PathTemplate::Parse(c.stored, c.kind);
        if (c.refused) {
            ASSERT_TRUE(std::holds_alternative<TemplateRefusal>(parsed));
            EXPECT_EQ(std::get<TemplateRefusal>(parsed).unknownName, c.refusedPlaceholder);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<PathTemplate>(parsed));
        const auto& path = std::get<PathTemplate>(parsed);
        if (c.kind == N) {
            EXPECT_EQ(path.name(facts), c.below.at(0));
            continue;
        }
        EXPECT_EQ(path.fixedFolder(), c.fixed);
        EXPECT_EQ(path.foldersBelow(facts), c.below);
    }
}

} // namespace
} // namespace lp
