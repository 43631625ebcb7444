// What a copy or move does to a file of the same name at its destination, on real folders and
// as the simulation foresees it, and where a delete goes.

#include "engine/headless_run.h"
#include "engine/name_clash.h"
#include "engine/operation_report.h"
#include "engine/rule_actions.h"
#include "engine/simulating_environment.h"
#include "globals/temp_folder.h"
#include "recording_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace lp {
namespace {

namespace fs = std::filesystem;
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
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberedPath(c.path, c.number), c.expected) << c.path;
}

class NameClashes : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"in", "out"})
            fs::create_directories(temp.file(folder));
    }
    std::string at(const std::string& relative) const { return temp.file(relative); }

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
        current.entries.push_back({name, false, 0, 0.0});
        RuleRec rule;
        rule.actions = actions;
        rule.actioncnt = static_cast<std::int32_t>(actions.size());
        ReportingEnvironment reporting(inner, [this](const std::string& l) { lines.push_back(l); });
        return RunRuleActions(rule, {0}, current, at("in"), policy, reporting);
    }

    static ruleactionrec action(ActionKind kind, const std::string& folder = {}) {
        ruleactionrec made;
        made.raction = kind;
        made.racmove.filepath = folder;
        made.raccopy.filepath = folder;
        made.raclaunch = {"player", "mfile"};
        return made;
    }

    std::string quoted(const std::string& relative) const { return QuoteValue(at(relative)); }

    test::TempFolder temp;
    test::RecordingEnvironment real;
    std::vector<std::string> lines;
};

TEST_F(NameClashes, EachChoiceOnMovesAndCopiesWithAndWithoutExtension) {
    using Files = std::map<std::string, std::string>;
    struct Case {
        const char* what;
        NameClash clash;
        ActionKind kind;
        std::string name;
        Files outBefore;
        Files outAfter;
        bool stays;        // the arriving file is still in "in"
        std::string given; // the name it got in "out"; empty when the operation failed
    };
    const Case cases[] = {
        {"replace, move",
         NameClash::Replace,
         rMove,
         "a.mp3",
         {{"a.mp3", "old"}},
         {{"a.mp3", "new"}},
         false,
         "a.mp3"},
        {"replace, copy",
         NameClash::Replace,
         rCopy,
         "a.mp3",
         {{"a.mp3", "old"}},
         {{"a.mp3", "new"}},
         true,
         "a.mp3"},
        {"keep both, move, the next free number",
         NameClash::KeepBoth,
         rMove,
         "a.mp3",
         {{"a.mp3", "old"}, {"a (2).mp3", "old 2"}},
         {{"a.mp3", "old"}, {"a (2).mp3", "old 2"}, {"a (3).mp3", "new"}},
         false,
         "a (3).mp3"},
        {"keep both, copy without extension",
         NameClash::KeepBoth,
         rCopy,
         "README",
         {{"README", "old"}},
         {{"README", "old"}, {"README (2)", "new"}},
         true,
         "README (2)"},
        {"keep both, move of a dot file",
         NameClash::KeepBoth,
         rMove,
         ".profile",
         {{".profile", "old"}},
         {{".profile", "old"}, {".profile (2)", "new"}},
         false,
         ".profile (2)"},
        {"keep both, nothing in the way",
         NameClash::KeepBoth,
         rMove,
         "a.mp3",
         {},
         {{"a.mp3", "new"}},
         false,
         "a.mp3"},
        {"keep both, a folder of the name",
         NameClash::KeepBoth,
         rCopy,
         "a.mp3",
         {{"a (2).mp3", "old 2"}},
         {{"a (2).mp3", "old 2"}, {"a (3).mp3", "new"}},
         true,
         "a (3).mp3"}, // a.mp3 is made a folder below
        {"leave, move",
         NameClash::Leave,
         rMove,
         "a.mp3",
         {{"a.mp3", "old"}},
         {{"a.mp3", "old"}},
         true,
         ""},
        {"leave, copy", NameClash::Leave, rCopy, "a", {{"a", "old"}}, {{"a", "old"}}, true, ""},
        {"leave, nothing in the way", NameClash::Leave, rCopy, "a", {}, {{"a", "new"}}, true, "a"},
    };
    for (const Case& c : cases) {
        fs::remove_all(at("in"));
        fs::remove_all(at("out"));
        fs::create_directories(at("in"));
        fs::create_directories(at("out"));
        writeBytes(at("in/" + c.name), "new");
        for (const auto& [name, content] : c.outBefore)
            writeBytes(at("out/" + name), content);
        const bool folderInTheWay = std::string(c.what).ends_with("folder of the name");
        if (folderInTheWay)
            fs::create_directory(at("out/" + c.name));
        lines.clear();
        real.launches.clear();

        const auto outcomes =
            run({action(c.kind, at("out")), action(rLaunch)}, c.name, {c.clash, false}, real);

        Files after = contents("out");
        if (folderInTheWay)
            after.erase(c.name);
        EXPECT_EQ(after, c.outAfter) << c.what;
        EXPECT_EQ(fs::exists(at("in/" + c.name)), c.stays) << c.what;
        const std::string verb = c.kind == rMove ? "move " : "copy ";
        const std::string source = quoted("in/" + c.name);
        ASSERT_FALSE(lines.empty()) << c.what;
        if (c.given.empty()) {
            EXPECT_EQ(lines[0], "failed " + verb + source + ' ' + quoted("out/" + c.name))
                << c.what;
            EXPECT_TRUE(outcomes[0].failed) << c.what;
        } else {
            EXPECT_EQ(lines[0], verb + source + ' ' + quoted("out/" + c.given)) << c.what;
            EXPECT_FALSE(outcomes[0].failed) << c.what;
        }
        // The launch finds the file where the rule left it; a move that failed passes it over.
        if (c.kind == rMove && !c.given.empty()) {
            ASSERT_EQ(real.launches.size(), 1u) << c.what;
            EXPECT_EQ(real.launches[0].arguments, std::vector{at("out/" + c.given)}) << c.what;
        } else if (c.kind == rMove) {
            EXPECT_TRUE(real.launches.empty()) << c.what;
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
            run({action(kind, at("in"))}, "a.mp3", {NameClash::KeepBoth, false}, real);
        EXPECT_TRUE(outcomes[0].failed);
        EXPECT_EQ(contents("in"), (std::map<std::string, std::string>{{"a.mp3", ""}}));
        EXPECT_EQ(lines.size(), 1u);
    }
}

TEST_F(NameClashes, TheSimulationForeseesTheNamesAndTheRunStillTakesAFreeOne) {
    writeBytes(at("in/a.mp3"), "new");
    writeBytes(at("out/a.mp3"), "old");
    const std::vector<ruleactionrec> twoCopies{action(rCopy, at("out")), action(rCopy, at("out"))};
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
    run({action(rMove, at("out"))}, "a.mp3", {NameClash::Leave, false}, again);
    EXPECT_EQ(lines, std::vector{"failed move " + source + ' ' + quoted("out/a.mp3")});
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
        const auto outcomes = run({action(rDelete)}, "a", {NameClash::Replace, c.toTrash}, disk);
        EXPECT_EQ(!fs::exists(at("in/a")), c.gone) << c.line;
        EXPECT_EQ(outcomes[0].takenAway, c.gone) << c.line;
        EXPECT_EQ(lines, std::vector{c.line + quoted("in/a")});
        EXPECT_EQ(withTrash.trashed.size(), c.toTrash && c.trashAvailable ? 1u : 0u) << c.line;
    }
}

} // namespace
} // namespace lp
