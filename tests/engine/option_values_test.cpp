// The options dialog's choices read from text values, whatever keeps them.

#include "engine/option_values.h"

#include <gtest/gtest.h>

#include <map>

namespace lp {
namespace {

TEST(OptionValues, ValuesInAnyCaseAndBlanksAroundAreReadAndTheRestIsSaidOnce) {
    struct Case {
        std::map<std::string, std::string> values;
        StoredOptions expected;
        std::vector<std::string> said;
    };
    const std::string notUnderstood = "larchpost: the store: [Options] ";
    const Case cases[] = {
        {{}, {}, {}},
        {{{"NameClash", " Keep-Both "}, {"Paused", "TRUE"}},
         {{NameClash::KeepBoth, false}, true},
         {}},
        {{{"NameClash", "leave"}, {"DeleteToTrash", "true"}},
         {{NameClash::Leave, true}, false},
         {}},
        // Failures are told unless switched off; every sorted file only when chosen.
        {{{"NotifyFailures", "false"}, {"NotifySorted", "True"}},
         {{NameClash::Replace, false}, false, false, true},
         {}},
        {{{"NotifyFailures", "no"}},
         {},
         {notUnderstood + "NotifyFailures=no is not understood (false or true); true is used."}},
        {{{"NameClash", "keep both"}, {"DeleteToTrash", "1"}, {"Paused", ""}},
         {},
         {notUnderstood + "NameClash=keep both is not understood (replace, keep-both or leave); "
                          "replace is used.",
          notUnderstood + "DeleteToTrash=1 is not understood (false or true); false is used.",
          notUnderstood + "Paused= is not understood (false or true); false is used."}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> said;
        const auto lookup = [&](const std::string& name) -> std::optional<std::string> {
            const auto it = c.values.find(name);
            return it == c.values.end() ? std::nullopt : std::optional(it->second);
        };
        EXPECT_EQ(ReadOptionValues(lookup, "the store",
                                   [&](const std::string& line) { said.push_back(line); }),
                  c.expected);
        EXPECT_EQ(said, c.said);
    }
}

TEST(OptionValues, WrittenTextsReadBack) {
    for (const NameClash clash : {NameClash::Replace, NameClash::KeepBoth, NameClash::Leave})
        for (const bool flag : {false, true}) {
            const std::map<std::string, std::string> values{
                {kNameClashOption, OptionText(clash)},
                {kDeleteToTrashOption, OptionText(flag)},
                {kPausedOption, OptionText(!flag)},
                {kNotifyFailuresOption, OptionText(flag)},
                {kNotifySortedOption, OptionText(!flag)}};
            const StoredOptions read = ReadOptionValues(
                [&](const std::string& name) { return std::optional(values.at(name)); }, "", {});
            EXPECT_EQ(read, (StoredOptions{{clash, flag}, !flag, flag, !flag}));
        }
}

} // namespace
} // namespace lp
