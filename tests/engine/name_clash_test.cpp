// What a copy or move does to a file of the same name at its destination, on real folders and
// as the simulation foresees it, and where a delete goes.

#include "engine/failure_reason.h"
#include "engine/headless_run.h"
#include "engine/name_clash.h"
#include "engine/operation_report.h"
#include "engine/rule_actions.h"
#include "engine/simulating_environment.h"
#include "globals/temp_folder.h"
#include "recording_environment.h"
#include "support/native_path.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <utility>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::NativePath;
using test::readBytes;
using test::writeBytes;

TEST(NumberedPath, TheNumberGoesBeforeTheExtensionOfTheNameAlone) {
    struct Case {
        std::string path;
        int number;
        std::string expected;
    };
    const Case cases[] = {
        {"/out/song.mp3", 2, "/out/song (2).mp3"},
        {"/out/archive.tar.gz", 3, "/out/archive.tar (3).gz"},
        {"/out/README", 2, "/out/README (2)"},
        {"/out/.profile", 2, "/out/.profile (2)"},
        {"/out/.notes.txt", 2, "/out/.notes (2).txt"},
        {"/out.d/name", 12, "/out.d/name (12)"},
        {"name.txt", 2, "name (2).txt"},
        {"/out/name.", 2, "/out/name (2)."},
        // The longest names give up the end of their stem, never part of a character.
        {"/out/" + std::string(251, 'a') + ".mp3", 2, "/out/" + std::string(247, 'a') + " (2).mp3"},
        {"/out/" + std::string(250, 'a') + "\xC3\xA9.mp3", 10,
         "/out/" + std::string(246, 'a') + " (10).mp3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberedPath(NativePath(c.path), c.number), NativePath(c.expected)) << c.path;
}

TEST(NameBeforeNumber, GivesBackTheNameKeepBothNumberedAndNothingForOtherNames) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"song (2).mp3", "song.mp3"},     {"archive.tar (3).gz", "archive.tar.gz"},
        {".profile (2)", ".profile"},     {".notes (12).txt", ".notes.txt"},
        {"name (2).", "name."},           {"song.mp3", std::nullopt},
        {"song (two).mp3", std::nullopt}, {"song ().mp3", std::nullopt},
        {"song(2).mp3", std::nullopt},    {"song (2)x.mp3", std::nullopt},
    };
    for (const auto& [name, before] : cases)
        EXPECT_EQ(NameBeforeNumber(name), before) << name;
}

class NameClashes : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"in", "out"})
            fs::create_directories(temp.file(folder));
    }
    std::string at(const std::string& relative) const { return temp.file(NativePath(relative)); }

    // Everything in a folder, name to content.
    std::map<std::string, std::string> contents(const std::string& folder) const {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::directory_iterator(at(folder)))
            found[entry.path().filename().string()] = readBytes(entry.path().string());
        return found;
    }

    // Runs the rule's actions on in/name with the policy; the printed lines go to lines.
    std::vector<ActionOutcome> run(const std::vector<ruleactionrec>& actions,
                                   const std::string& name, const SortingPolicy& policy,
                                   CycleEnvironment& inner) {
        CurrentFiles current;
        current.entries.push_back({name, false, 0, 0.0, {}});
        RuleRec rule;
        rule.actions = actions;
        rule.actioncnt = static_cast<std::int32_t>(actions.size());
        ReportingEnvironment reporting(inner, [this](const std::string& l) { lines.push_back(l); });
        return RunRuleActions(rule, {0}, current, at("in"), policy, reporting);
    }

    std::string quoted(const std::string& relative) const { return QuoteValue(at(relative)); }

    test::TempFolder temp;
    test::RecordingEnvironment real;
    std::vector<std::string> lines;
};

TEST_F(NameClashes, EachChoiceOnMovesAndCopiesWithAndWithoutExtension) {
    struct Case {
        NameClash clash;
        ActionKind kind;
        std::string name;
        std::vector<std::string> taken; // names in "out" before, each holding "old"
        std::string given; // the name the arriving file got; empty when the operation failed
    };
    const Case cases[] = {
        {NameClash::Replace, rMove, "a.mp3", {"a.mp3"}, "a.mp3"},
        {NameClash::Replace, rCopy, "a.mp3", {"a.mp3"}, "a.mp3"},
        {NameClash::KeepBoth, rMove, "a.mp3", {"a.mp3", "a (2).mp3"}, "a (3).mp3"},
        {NameClash::KeepBoth, rCopy, "README", {"README"}, "README (2)"},
        {NameClash::KeepBoth, rMove, ".profile", {".profile"}, ".profile (2)"},
        {NameClash::KeepBoth, rMove, "a.mp3", {}, "a.mp3"},
        {NameClash::Leave, rMove, "a.mp3", {"a.mp3"}, ""},
        {NameClash::Leave, rCopy, "a", {"a"}, ""},
    };
    for (const Case& c : cases) {
        const std::string what = c.name + " given " + (c.given.empty() ? "nothing" : c.given);
        fs::remove_all(at("out"));
        fs::create_directories(at("out"));
        writeBytes(at("in/" + c.name), "new");
        std::map<std::string, std::string> expected;
        for (const std::string& name : c.taken) {
            writeBytes(at("out/" + name), "old");
            expected[name] = "old";
        }
        if (!c.given.empty())
            expected[c.given] = "new";
        lines.clear();
        real.launches.clear();
        real.actFor("in", "each case a rule of its own"); // as a cycle does before each rule

        const auto outcomes = run({test::ActionTo(c.kind, at("out")), test::ActionTo(rLaunch)},
                                  c.name, {c.clash, false}, real);

        EXPECT_EQ(contents("out"), expected) << what;
        const bool moved = c.kind == rMove && !c.given.empty();
        EXPECT_EQ(fs::exists(at("in/" + c.name)), !moved) << what;
        fs::remove_all(at("in/" + c.name));
        const std::string verb = c.kind == rMove ? "move " : "copy ";
        const std::string shown = c.given.empty() ? "failed " + verb : verb;
        ASSERT_FALSE(lines.empty()) << what;
        EXPECT_EQ(lines[0], shown + quoted("in/" + c.name) + ' ' +
                                quoted("out/" + (c.given.empty() ? c.name : c.given)) +
                                (c.given.empty() ? ReasonPart(kNameTakenLeft) : ""))
            << what;
        EXPECT_EQ(outcomes[0].failed, c.given.empty()) << what;
        // The launch finds the file where the rule left it; a move that failed passes it over.
        if (moved) {
            ASSERT_EQ(real.launches.size(), 1u) << what;
            EXPECT_EQ(real.launches[0].arguments, std::vector{at("out/" + c.given)}) << what;
        } else if (c.kind == rMove) {
            EXPECT_TRUE(real.launches.empty()) << what;
        }
    }
}

TEST_F(NameClashes, KeepingBothNeverRenamesAFileOntoItsOwnFolder) {
    // A rule that moves or copies into the folder it watches would otherwise make a new name
    // at every cycle.
    writeBytes(at("in/a.mp3"), "");
    for (const ActionKind kind : {rMove, rCopy}) {
        lines.clear();
        const auto outcomes =
            run({test::ActionTo(kind, at("in"))}, "a.mp3", {NameClash::KeepBoth, false}, real);
        EXPECT_TRUE(outcomes[0].failed);
        EXPECT_EQ(contents("in"), (std::map<std::string, std::string>{{"a.mp3", ""}}));
        EXPECT_EQ(lines.size(), 1u);
    }
}

TEST_F(NameClashes, TheSimulationForeseesTheNamesAndTheRunStillTakesAFreeOne) {
    writeBytes(at("in/a.mp3"), "new");
    writeBytes(at("out/a.mp3"), "old");
    const std::vector<ruleactionrec> twoCopies{test::ActionTo(rCopy, at("out")),
                                               test::ActionTo(rCopy, at("out"))};
    SimulatingEnvironment simulating(real);
    run(twoCopies, "a.mp3", {NameClash::KeepBoth, false}, simulating);
    const std::string source = quoted("in/a.mp3");
    const std::vector<std::string> foreseen{
        "copy " + source + ' ' + quoted("out/a (2).mp3"),
        "copy " + source + ' ' + quoted("out/a (3).mp3"),
    };
    EXPECT_EQ(lines, foreseen);
    EXPECT_EQ(contents("out").size(), 1u);

    // A file takes the foreseen name before the real run: it stays, and the run goes further.
    writeBytes(at("out/a (2).mp3"), "arrived");
    lines.clear();
    run(twoCopies, "a.mp3", {NameClash::KeepBoth, false}, real);
    const std::vector<std::string> done{
        "copy " + source + ' ' + quoted("out/a (3).mp3"),
        "copy " + source + ' ' + quoted("out/a (4).mp3"),
    };
    EXPECT_EQ(lines, done);
    EXPECT_EQ(readBytes(at("out/a (2).mp3")), "arrived");
    EXPECT_EQ(readBytes(at("out/a.mp3")), "old");

    // Leaving the file where it is is foreseen as the failure it will be.
    lines.clear();
    SimulatingEnvironment again(real);
    run({test::ActionTo(rMove, at("out"))}, "a.mp3", {NameClash::Leave, false}, again);
    EXPECT_EQ(lines, std::vector{"failed move " + source + ' ' + quoted("out/a.mp3") +
                                 ReasonPart(kNameTakenLeft)});
}

// A disk whose trash records what it is handed.
class TrashRecording : public test::RecordingEnvironment {
public:
    bool trashFile(const std::string& path) override {
        trashed.push_back(path);
        return fs::remove(path);
    }
    std::vector<std::string> trashed;
};

TEST_F(NameClashes, ADeleteGoesToTheTrashOnlyWhenChosenAndFailsWithoutOne) {
    struct Case {
        bool toTrash;
        bool trashAvailable;
        bool gone;
        const char* line;
    };
    const Case cases[] = {
        {false, true, true, "delete "},
        {true, true, true, "trash "},
        {true, false, false, "failed trash "}, // no trash: the file stays
    };
    for (const Case& c : cases) {
        writeBytes(at("in/a"), "content");
        lines.clear();
        TrashRecording withTrash;
        test::RecordingEnvironment withoutTrash; // a SystemEnvironment given no trash
        CycleEnvironment& disk =
            c.trashAvailable ? static_cast<CycleEnvironment&>(withTrash) : withoutTrash;
        const auto outcomes =
            run({test::ActionTo(rDelete)}, "a", {NameClash::Replace, c.toTrash}, disk);
        EXPECT_EQ(!fs::exists(at("in/a")), c.gone) << c.line;
        EXPECT_EQ(outcomes[0].takenAway, c.gone) << c.line;
        EXPECT_EQ(lines,
                  std::vector{c.line + quoted("in/a") + (c.gone ? "" : ReasonPart(kNoTrash))});
        EXPECT_EQ(withTrash.trashed.size(), c.toTrash && c.trashAvailable ? 1u : 0u) << c.line;
    }
}

} // namespace
} // namespace lp
