// The action step on real folders: where files go, and what a launched program is handed.

#include "engine/failure_reason.h"
#include "engine/launch_arguments.h"
#include "engine/rule_actions.h"
#include "globals/temp_folder.h"
#include "platform/path_separator.h"
#include "recording_environment.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::CopyTo;
using test::Deleting;
using test::Launching;
using test::MoveTo;
using test::readBytes;
using test::RecordedLaunch;
using test::writeBytes;

class RuleActions : public testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"in", "out", "copies"})
            fs::create_directories(temp.file(folder));
    }
    std::string folder(const std::string& name) const { return temp.file(name); }
    std::string path(const std::string& in, const std::string& name) const {
        return temp.file(in) + platform::kPathSeparator + name;
    }

    // Runs the actions on the given files of "in", all selected.
    std::vector<ActionOutcome> run(const std::vector<ruleactionrec>& actions,
                                   const std::vector<std::string>& names,
                                   std::string sharedir = {}) {
        CurrentFiles current;
        Selection selection;
        for (const auto& name : names) {
            if (!fs::exists(path("in", name)))
                writeBytes(path("in", name), "content of " + name);
            selection.push_back(static_cast<std::uint32_t>(current.entries.size()));
            current.entries.push_back({name, false, 0, 0.0, {}});
        }
        RuleRec rule;
        rule.actions = actions;
        rule.actioncnt = static_cast<std::int32_t>(actions.size());
        return RunRuleActions(rule, selection, current, sharedir.empty() ? folder("in") : sharedir,
                              {}, environment);
    }

    test::TempFolder temp;
    test::RecordingEnvironment environment;
};

TEST_F(RuleActions, AMoveReplacesAFileOfTheSameNameAndLaterActionsFollowIt) {
    writeBytes(path("out", "a.mp3"), "older a");
    run({MoveTo(folder("out")), Launching("player", "-mfile -q"), CopyTo(folder("copies"))},
        {"a.mp3", "b.mp3"});
    EXPECT_EQ(readBytes(path("out", "a.mp3")), "content of a.mp3");
    EXPECT_EQ(readBytes(path("copies", "b.mp3")), "content of b.mp3");
    EXPECT_TRUE(fs::is_empty(folder("in")));
    const std::vector<RecordedLaunch> expected{
        {"player", {"-" + path("out", "a.mp3"), "-q"}},
        {"player", {"-" + path("out", "b.mp3"), "-q"}},
    };
    EXPECT_EQ(environment.launches, expected);
}

// "Copy, then delete": bytes written to the file after its copy was made are in the file alone,
// so it stays, and a retry takes it up at the copy again.
TEST_F(RuleActions, ADeleteOrMoveAfterACopyNeedsTheFileAsItWasCopied) {
    struct Case {
        const char* what;
        std::function<void(const std::string&)> meanwhile;
        bool trash;
        bool move; // the second action moves the file on instead of deleting it
        ActionOutcome outcome;
    };
    const auto append = [](const std::string& file) { writeBytes(file, "content of a, longer"); };
    const Case cases[] = {
        {"unchanged", nullptr, false, false, {true, false, std::nullopt}},
        {"written to", append, false, false, {false, true, 0}},
        {"written to, to the trash", append, true, false, {false, true, 0}},
        {"unchanged, moved on", nullptr, false, true, {true, false, std::nullopt}},
        {"written to, moved on", append, false, true, {false, true, 0}},
    };
    for (const Case& c : cases) {
        for (const char* made : {"copies", "moved"}) {
            fs::remove_all(folder(made));
            fs::create_directories(folder(made));
        }
        environment.afterCopy = c.meanwhile;
        RuleRec rule;
        rule.actions = {CopyTo(folder("copies")), c.move ? MoveTo(folder("moved")) : Deleting()};
        rule.actioncnt = 2;
        writeBytes(path("in", "a"), "content of a");
        CurrentFiles current;
        current.entries.push_back({"a", false, 0, 0.0, {}});
        SortingPolicy policy;
        policy.deleteToTrash = c.trash;
        environment.actFor("in", "copy, then delete or move");
        EXPECT_EQ(RunRuleActions(rule, {0}, current, folder("in"), policy, environment),
                  std::vector<ActionOutcome>{c.outcome})
            << c.what;
        EXPECT_EQ(readBytes(path("copies", "a")), "content of a") << c.what;
        EXPECT_EQ(fs::exists(path("in", "a")), c.meanwhile != nullptr) << c.what;
        EXPECT_EQ(fs::exists(path("moved", "a")), c.move && !c.meanwhile) << c.what;
        if (c.meanwhile) {
            EXPECT_EQ(environment.failureReason(), kChangedSinceCopy) << c.what;
        }
    }
}

TEST_F(RuleActions, DeleteThenCopyFindsNothing) {
    run({Deleting(), CopyTo(folder("copies"))}, {"a"});
    EXPECT_TRUE(fs::is_empty(folder("in")));
    EXPECT_TRUE(fs::is_empty(folder("copies")));
}

TEST_F(RuleActions, AFailedMoveKeepsTheSourceAndTheRestGoesOn) {
    run({MoveTo(folder("missing")), CopyTo(folder("copies"))}, {"a", "b"});
    // The files whose move failed are passed over by the copy.
    EXPECT_EQ(readBytes(path("in", "a")), "content of a");
    EXPECT_EQ(readBytes(path("in", "b")), "content of b");
    EXPECT_TRUE(fs::is_empty(folder("copies")));
}

TEST_F(RuleActions, EachFileIsFollowedOnItsOwn) {
    struct Case {
        const char* what;
        std::vector<std::string> inFolders; // selected entries of "in" that are sub-folders
        std::vector<ruleactionrec> actions;
        std::vector<std::string> names;
        std::vector<std::string> launched; // the paths handed to the program, in order
        std::vector<ActionOutcome> outcomes;
        std::vector<std::string> outAfter; // what "out" holds at the end
    };
    const std::string in = folder("in"), out = folder("out");
    const Case cases[] = {
        {"a failed move leaves an older file of the destination alone",
         {"a"},
         {MoveTo(out), Launching("p", "mfile"), Deleting()},
         {"a"},
         {},
         {{false, true, 0}},
         {"a"}},
        {"the moved one goes on at the destination, the other is passed over",
         {"a"},
         {MoveTo(out), Launching("p", "mfile")},
         {"a", "b"},
         {path("out", "b")},
         {{false, true, 0}, {true, false}},
         {"a", "b"}},
        {"a deleted file is gone, but a launch still gets its path",
         {},
         {Deleting(), MoveTo(out), Launching("p", "mfile")},
         {"a"},
         {path("in", "a")},
         {{true, true}},
         {"a"}},
        {"moved there and back is still in the folder",
         {},
         {MoveTo(out), MoveTo(in), Launching("p", "mfile")},
         {"a"},
         {path("in", "a")},
         {{false, false}},
         {}},
        {"a launch for the whole rule waits for a file still followed",
         {"a"},
         {MoveTo(out), Launching("p", "--refresh")},
         {"a"},
         {},
         {{false, true, 0}},
         {"a"}},
    };
    for (const Case& c : cases) {
        for (const char* name : {"in", "out", "copies"}) {
            fs::remove_all(folder(name));
            fs::create_directories(folder(name));
        }
        writeBytes(path("out", "a"), "older a, already there");
        for (const auto& sub : c.inFolders)
            fs::create_directories(path("in", sub));
        environment.launches.clear();
        EXPECT_EQ(run(c.actions, c.names), c.outcomes) << c.what;
        std::vector<std::string> launched;
        for (const auto& launch : environment.launches)
            launched.insert(launched.end(), launch.arguments.begin(), launch.arguments.end());
        EXPECT_EQ(launched, c.launched) << c.what;
        std::vector<std::string> outAfter;
        for (const auto& entry : fs::directory_iterator(folder("out")))
            outAfter.push_back(entry.path().filename().string());
        std::sort(outAfter.begin(), outAfter.end());
        EXPECT_EQ(outAfter, c.outAfter) << c.what;
    }
    EXPECT_EQ(readBytes(path("out", "a")), "older a, already there");
}

TEST_F(RuleActions, AnyFailedOperationEndsTheRuleForThatFile) {
    struct Failure {
        const char* what;
        ruleactionrec action;
        bool asFolder; // the selected entry is a folder, which is never deleted
    };
    const Failure failures[] = {
        {"a move to a missing folder", MoveTo(folder("missing")), false},
        {"a copy to a missing folder", CopyTo(folder("missing")), false},
        {"a launch of a program that does not start", Launching("no-such-program", "mfile"), false},
        {"a delete of a folder", Deleting(), true},
    };
    struct Later {
        const char* what;
        ruleactionrec action;
    };
    const Later laters[] = {
        {"move", MoveTo(folder("out"))},
        {"copy", CopyTo(folder("copies"))},
        {"delete", Deleting()},
        {"launch", Launching("p", "mfile")},
        {"launch for the rule", Launching("p", "--refresh")},
    };
    for (const Failure& failure : failures)
        for (const Later& later : laters) {
            const std::string what = std::string(failure.what) + ", then " + later.what;
            for (const char* name : {"in", "out", "copies"}) {
                fs::remove_all(folder(name));
                fs::create_directories(folder(name));
            }
            if (failure.asFolder)
                fs::create_directories(path("in", "precious"));
            environment.launches.clear();
            EXPECT_EQ(run({failure.action, later.action}, {"precious"}),
                      (std::vector<ActionOutcome>{{false, true, 0}}))
                << what;
            EXPECT_TRUE(fs::exists(path("in", "precious"))) << what;
            if (!failure.asFolder) {
                EXPECT_EQ(readBytes(path("in", "precious")), "content of precious") << what;
            }
            EXPECT_TRUE(fs::is_empty(folder("out"))) << what;
            EXPECT_TRUE(fs::is_empty(folder("copies"))) << what;
            EXPECT_TRUE(environment.launches.empty()) << what;
        }
}

TEST_F(RuleActions, AFailureOfOneFileLeavesTheOthersToTheRule) {
    // Only "b" is a folder, so only its copy fails; "a" is still copied and then deleted.
    fs::create_directories(path("in", "b"));
    EXPECT_EQ(run({CopyTo(folder("copies")), Deleting()}, {"a", "b"}),
              (std::vector<ActionOutcome>{{true, false}, {false, true, 0}}));
    EXPECT_EQ(readBytes(path("copies", "a")), "content of a");
    EXPECT_FALSE(fs::exists(path("in", "a")));
    EXPECT_TRUE(fs::is_directory(path("in", "b")));
}

TEST_F(RuleActions, AMoveOntoItselfKeepsTheFile) {
    run({MoveTo(folder("in")), CopyTo(folder("in"))}, {"a"});
    EXPECT_EQ(readBytes(path("in", "a")), "content of a");
}

TEST_F(RuleActions, FoldersAreJoinedWithExactlyOneMoreSeparator) {
    const std::string separator(1, platform::kPathSeparator);
    EXPECT_EQ(JoinPath("/in", "a"), "/in" + separator + "a");
    EXPECT_EQ(JoinPath("/in" + separator, "a"), "/in" + separator + separator + "a");
    EXPECT_EQ(JoinPath("", "a"), separator + "a");
    run({Launching("p", "mfile")}, {"a"}, folder("in") + separator);
    ASSERT_EQ(environment.launches.size(), 1u);
    EXPECT_EQ(environment.launches[0].arguments,
              std::vector<std::string>{folder("in") + separator + separator + "a"});
}

TEST_F(RuleActions, LaunchArgumentsPerFileOrOncePerRule) {
    struct Case {
        const char* what;
        std::string params;
        std::vector<std::string> files;
        std::vector<std::vector<std::string>> launches;
    };
    const std::string a = path("in", "a.mp3"), b = path("in", "b.mp3");
    const Case cases[] = {
        {"no placeholder: one launch", "--all", {"a.mp3", "b.mp3", "c.mp3"}, {{"--all"}}},
        {"empty text: one launch, no arguments", "", {"a.mp3", "b.mp3"}, {{}}},
        {"placeholder twice", "mfile:mfile", {"a.mp3"}, {{a + ":" + a}}},
        {"one launch per file",
         "-o \"out dir\" mfile",
         {"a.mp3", "b.mp3"},
         {{"-o", "out dir", a}, {"-o", "out dir", b}}},
        {"placeholder is case-sensitive", "MFILE Mfile", {"a.mp3", "b.mp3"}, {{"MFILE", "Mfile"}}},
    };
    for (const Case& c : cases) {
        environment.launches.clear();
        run({Launching("prog", c.params)}, c.files);
        std::vector<std::vector<std::string>> got;
        for (const auto& launch : environment.launches) {
            EXPECT_EQ(launch.program, "prog") << c.what;
            got.push_back(launch.arguments);
        }
        EXPECT_EQ(got, c.launches) << c.what;
    }
}

TEST_F(RuleActions, AFileNameIsOneArgumentWhateverItHolds) {
    const std::string hostile = "x\" ; rm -rf ~ ; \"mfile $(id) 'q'.mp3";
    run({Launching("prog", "--file=mfile --quiet")}, {hostile});
    ASSERT_EQ(environment.launches.size(), 1u);
    EXPECT_EQ(environment.launches[0].arguments,
              (std::vector<std::string>{"--file=" + path("in", hostile), "--quiet"}))
        << "the path went in once and was not searched again";
}

TEST_F(RuleActions, TransfersAndUnknownKindsDoNothing) {
    ruleactionrec ftp;
    ftp.raction = rFTP;
    ftp.racftp.ftpserver = "ftp.example.org";
    run({ftp, test::MakeAction(42), CopyTo(folder("copies"))}, {"a"});
    EXPECT_EQ(readBytes(path("copies", "a")), "content of a");
    EXPECT_EQ(readBytes(path("in", "a")), "content of a");
}

} // namespace
} // namespace lp
