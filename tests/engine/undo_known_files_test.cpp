// What an undo leaves in the services' known-file lists, and so what the next cycle does: the
// name of a file moved back is known to the services of its folder, and a removed copy leaves
// nothing new behind. (The whole round through the window is in the window's tests.)

#include "engine/activity_log.h"
#include "engine/monitor_cycle.h"
#include "engine/undo.h"
#include "globals/temp_folder.h"
#include "platform/file_identity.h"
#include "platform/path_separator.h"
#include "recording_environment.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

std::vector<std::string> namesOf(const rServiceRules& service) {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < service.knowncnt && i < std::ssize(service.knownfiles); ++i)
        names.push_back(service.knownfiles[static_cast<std::size_t>(i)].name);
    std::sort(names.begin(), names.end());
    return names;
}

rServiceRules serviceOver(const std::string& folder, std::vector<std::string> known) {
    rServiceRules service;
    service.serviceid = kOtherService;
    service.enabled = true;
    service.knownready = true;
    service.sharedir = folder;
    for (auto& name : known)
        service.knownfiles.push_back(filerec{std::move(name), 1, 0.0});
    service.knowncnt = static_cast<std::int32_t>(service.knownfiles.size());
    return service;
}

RuleRec& addRule(rServiceRules& service, std::uint8_t trigger, std::uint8_t action,
                 const std::string& folder, const std::string& name = "rule") {
    RuleRec rule;
    rule.rulename = name;
    rule.enabled = true;
    rule.mcond = trigger;
    rule.actions.push_back(test::MakeAction(action, folder));
    rule.actioncnt = 1;
    service.rulelist.rules.push_back(rule);
    service.rulelist.rulecnt = static_cast<std::int32_t>(service.rulelist.rules.size());
    return service.rulelist.rules.back();
}

ActivityEntry undoMove(const std::string& from, const std::string& to) {
    ActivityEntry line;
    line.undo = true;
    line.action = "move";
    line.values = {from, to};
    line.identity = FileIdentity{5, 0, 1, 2};
    return line;
}

class UndoKnownFiles : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(inbox);
        fs::create_directories(outbox);
    }
    std::string in(const std::string& name) const {
        return inbox + platform::kPathSeparator + name;
    }
    std::string out(const std::string& name) const {
        return outbox + platform::kPathSeparator + name;
    }

    test::TempFolder temp;
    const std::string inbox = temp.file("in");
    const std::string outbox = temp.file("out");
    test::RecordingEnvironment environment;
};

struct FolderCase {
    const char* name;
    std::string (*folder)(const std::string& inbox, const std::string& outbox);
    bool enabled;
    bool knownReady;
    bool told; // whether the service learns the name put back into "in"
};

class UndoKnownFolders : public UndoKnownFiles, public testing::WithParamInterface<FolderCase> {};

TEST_P(UndoKnownFolders, TheNamePutBackIsKnownWhereverTheFolderIsTheSame) {
    const FolderCase& c = GetParam();
    ServiceTable table;
    table.services.push_back(serviceOver(c.folder(inbox, outbox), {"other"}));
    table.services[0].enabled = c.enabled;
    table.services[0].knownready = c.knownReady;
    RecordUndoInKnownFiles(table, undoMove(out("back.txt"), in("back.txt")));
    const std::vector<std::string> expected =
        c.told ? std::vector<std::string>{"back.txt", "other"} : std::vector<std::string>{"other"};
    EXPECT_EQ(namesOf(table.services[0]), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Services, UndoKnownFolders,
    testing::Values(
        FolderCase{"SamePath", [](const std::string& in, const std::string&) { return in; }, true,
                   true, true},
        FolderCase{
            "TrailingSeparator",
            [](const std::string& in, const std::string&) { return in + platform::kPathSeparator; },
            true, true, true},
        FolderCase{"SpelledWithDotDot",
                   [](const std::string& in, const std::string&) {
                       return (fs::path(in) / ".." / "in").string();
                   },
                   true, true, true},
        FolderCase{"OtherFolder", [](const std::string&, const std::string& out) { return out; },
                   true, true, false},
        FolderCase{"SwitchedOff", [](const std::string& in, const std::string&) { return in; },
                   false, true, false},
        FolderCase{"KnownListNotYetTaken",
                   [](const std::string& in, const std::string&) { return in; }, true, false,
                   false}),
    [](const auto& p) { return std::string(p.param.name); });

// A copy removed by an undo leaves nothing that a rule on new files in the copy's folder would
// take for new, while a file arriving later under the copy's name is new there.
TEST_F(UndoKnownFiles, ARemovedCopyLeavesNothingNewInItsFolder) {
    const std::string elsewhere = temp.file("elsewhere");
    fs::create_directories(elsewhere);
    ServiceTable table;
    table.services.push_back(serviceOver(inbox, {}));
    table.services[0].knownready = false;
    addRule(table.services[0], NewFile, rCopy, outbox, "Backup");
    table.services.push_back(serviceOver(outbox, {}));
    table.services[1].knownready = false;
    addRule(table.services[1], NewFile, rMove, elsewhere, "Onward");
    writeBytes(out("a.txt"), "a");
    writeBytes(out("z.txt"), "z");
    runMonitorCycle(table, true, {}, environment);
    writeBytes(in("notes.txt"), "notes");
    RunServiceTurn(table.services[0], false, {}, environment); // notes.txt copied to "out"
    ASSERT_TRUE(fs::exists(out("notes.txt")));
    // Known in "out" without being moved on, as when the rule on "out" passed it over.
    table.services[1].knownfiles.push_back(filerec{"notes.txt", 5, 0.0});
    table.services[1].knowncnt = static_cast<std::int32_t>(table.services[1].knownfiles.size());

    ActivityEntry copied;
    copied.folder = inbox;
    copied.rule = "Backup";
    copied.action = "copy";
    copied.values = {in("notes.txt"), out("notes.txt")};
    copied.identity = platform::IdentifyFile(out("notes.txt"));
    const UndoResult result = UndoActivity(copied);
    ASSERT_TRUE(result.done) << result.message;
    RecordUndoInKnownFiles(table, *result.logged);
    EXPECT_EQ(namesOf(table.services[1]), (std::vector<std::string>{"a.txt", "z.txt"}));

    runMonitorCycle(table, false, {}, environment);
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "nothing in \"out\" counts as new";
    EXPECT_TRUE(fs::exists(in("notes.txt")));
    EXPECT_FALSE(fs::exists(out("notes.txt"))) << "known in \"in\", so not copied again";

    writeBytes(out("notes.txt"), "another file of that name");
    runMonitorCycle(table, false, {}, environment);
    EXPECT_EQ(readBytes(elsewhere + platform::kPathSeparator + "notes.txt"),
              "another file of that name");
}

// An undo's failed line is its own operation: the cycle's failure of the same file neither
// hides it nor is forgotten because of it.
TEST(UndoLogLine, IsNoRepeatOfACycleFailureAndLeavesItsMemoryAlone) {
    test::TempFolder temp;
    const std::string path = temp.file("activity.log");
    ActivityLog log(path, [](const std::string&) {});
    ActivityEntry cycle;
    cycle.folder = "Downloads";
    cycle.rule = "Tidy";
    cycle.failed = true;
    cycle.action = "move";
    cycle.values = {"/out/a.txt", "/elsewhere/a.txt"};
    ActivityEntry undone = undoMove("/out/a.txt", "/in/a.txt");
    undone.folder = cycle.folder;
    undone.rule = cycle.rule;
    undone.failed = true;
    undone.identity.reset();
    log.append(cycle);
    log.append(undone);
    log.append(cycle);
    std::ifstream file(path);
    std::vector<ActivityEntry> lines;
    for (std::string line; std::getline(file, line);)
        if (auto parsed = ParseActivityLine(line)) {
            parsed->time.clear();
            lines.push_back(*parsed);
        }
    EXPECT_EQ(lines, (std::vector<ActivityEntry>{cycle, undone}));
}

} // namespace
} // namespace lp
