// Whole service turns on real temporary folders: what gets listed, which rules fire, what the
// known-file list holds afterwards.

#include "engine/monitor_cycle.h"
#include "globals/temp_folder.h"
#include "held_open.h"
#include "platform/file_in_use.h"
#include "platform/path_separator.h"
#include "recording_environment.h"
#include "support/captured_log.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

class MonitorCycle : public testing::Test {
protected:
    void SetUp() override { startAfresh(); }
    // Empty in and out folders, and a service over "in" without rules or known files.
    void startAfresh() {
        fs::remove_all(inbox());
        fs::remove_all(outbox());
        fs::create_directories(inbox());
        fs::create_directories(outbox());
        service = rServiceRules{};
        service.serviceid = kOtherService;
        service.enabled = true;
        service.sharedir = inbox();
    }

    std::string inbox() const { return temp.file("in"); }
    std::string outbox() const { return temp.file("out"); }
    std::string in(const std::string& name) const {
        return inbox() + platform::kPathSeparator + name;
    }
    std::string out(const std::string& name) const {
        return outbox() + platform::kPathSeparator + name;
    }
    void put(const std::string& name, const std::string& content = "x") {
        writeBytes(in(name), content);
    }

    RuleRec& addRule(std::uint8_t trigger) {
        RuleRec rule;
        rule.rulename = "rule";
        rule.enabled = true;
        rule.mcond = trigger;
        service.rulelist.rules.push_back(rule);
        service.rulelist.rulecnt = static_cast<std::int32_t>(service.rulelist.rules.size());
        return service.rulelist.rules.back();
    }
    static void addAction(RuleRec& rule, std::uint8_t kind, const std::string& folder = {}) {
        rule.actions.push_back(test::MakeAction(kind, folder));
        rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
    }
    void turn(bool firstCycle = false) { RunServiceTurn(service, firstCycle, {}, environment); }
    std::vector<std::string> knownNames() const {
        std::vector<std::string> names;
        for (const auto& file : service.knownfiles)
            names.push_back(file.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempFolder temp;
    rServiceRules service;
    test::RecordingEnvironment environment;
};

TEST_F(MonitorCycle, ServicesThatArePassedOverKeepTheirKnownList) {
    put("a");
    service.knownready = true;
    service.knowncnt = 1;
    service.knownfiles = {filerec{"old", 0, 0.0}};
    const auto before = service;

    service.enabled = false;
    turn();
    EXPECT_EQ(service, [&] {
        auto s = before;
        s.enabled = false;
        return s;
    }());

    service.enabled = true;
    service.sharedir.clear();
    turn();
    EXPECT_EQ(service.knownfiles, before.knownfiles);

    service.sharedir = temp.file("unplugged"); // cannot be listed: the known files stay
    turn();
    EXPECT_EQ(service.knownfiles, before.knownfiles);
    EXPECT_EQ(service.knowncnt, 1);

    service.sharedir = outbox(); // an empty folder records an empty list
    turn();
    EXPECT_TRUE(service.knownready);
    EXPECT_EQ(service.knowncnt, 0);
    EXPECT_TRUE(service.knownfiles.empty());
}

TEST_F(MonitorCycle, KnownListHoldsEveryEntryButTheExcludedOnes) {
    for (const char* name : {"a.TMP", "b.dat", "c.mp3", ".hidden"})
        put(name);
    fs::create_directories(in("sub"));
    struct Case {
        std::string exclude;
        std::vector<std::string> known;
    };
    const Case cases[] = {
        {"", {".hidden", "a.TMP", "b.dat", "c.mp3", "sub"}},
        {"*.tmp;*.dat", {".hidden", "c.mp3", "sub"}},
        {"*.tmp; *.dat", {".hidden", "b.dat", "c.mp3", "sub"}}, // " *.dat" begins with a blank
        {";;", {".hidden", "a.TMP", "b.dat", "c.mp3", "sub"}},
        {"*", {}},
    };
    for (const Case& c : cases) {
        service.excludefiles = c.exclude;
        turn(true);
        EXPECT_EQ(knownNames(), c.known) << "excludefiles \"" << c.exclude << '"';
        EXPECT_EQ(service.knowncnt, static_cast<std::int32_t>(c.known.size()));
    }
}

TEST_F(MonitorCycle, NewFilesAreMovedFromTheSecondCycleOn) {
    RuleRec& rule = addRule(NewFile);
    addAction(rule, rMove, outbox());
    put("there-at-start");
    turn(true);
    EXPECT_TRUE(fs::exists(in("there-at-start"))) << "files present at start-up are not new";

    put("arrived", "payload");
    turn();
    EXPECT_FALSE(fs::exists(in("arrived")));
    EXPECT_EQ(readBytes(out("arrived")), "payload");
    EXPECT_TRUE(fs::exists(in("there-at-start")));
    EXPECT_EQ(knownNames(), std::vector<std::string>{"there-at-start"}) << "the moved one left";
}

// A change made to the folders between two turns.
using FolderChange = std::function<void(const fs::path& in, const fs::path& out)>;

void dropFile(const fs::path& path, const std::string& content = "x") {
    test::writeBytes(path.string(), content);
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Whether the temporary folder's file system tells files open for writing.
bool leasesWork(const test::TempFolder& temp) {
    const std::string probe = temp.file("lease-probe");
    test::writeBytes(probe, "x");
    bool works = false;
    {
        const test::HeldOpen writer(probe, test::OpenFor::Writing);
        works = writer.held() && platform::FileOpenForWriting(probe);
    }
    fs::remove(probe);
    return works;
}

TEST_F(MonitorCycle, EveryNameTheKnownListLacksIsNew) {
    struct Case {
        const char* what;
        std::vector<FolderChange> beforeEachTurn; // the first turn only records
        std::vector<std::string> sorted;          // in the out folder at the end
        std::vector<std::string> left;            // still in the in folder
        std::vector<std::string> known;
    };
    const Case cases[] = {
        {"arriving a cycle after another was sorted",
         {[](auto&, auto&) {}, [](auto& in, auto&) { dropFile(in / "x.zip"); },
          [](auto& in, auto&) { dropFile(in / "y.zip"); }},
         {"x.zip", "y.zip"},
         {},
         {}},
        {"one removed and one added",
         {[](auto& in, auto&) {
              dropFile(in / "a.zip");
              dropFile(in / "b.zip");
          },
          [](auto& in, auto&) {
              fs::remove(in / "a.zip");
              dropFile(in / "c.zip");
          }},
         {"c.zip"},
         {"b.zip"},
         {"b.zip"}},
        {"a download renamed when done",
         {[](auto&, auto&) {}, [](auto& in, auto&) { dropFile(in / "get.zip.part"); },
          [](auto& in, auto&) { fs::rename(in / "get.zip.part", in / "get.zip"); }},
         {"get.zip"},
         {},
         {}},
        {"a sorted name that comes again is new again",
         {[](auto&, auto&) {}, [](auto& in, auto&) { dropFile(in / "x.zip", "first"); },
          [](auto& in, auto&) { dropFile(in / "x.zip", "second"); }},
         {"x.zip"},
         {},
         {}},
        {"a name whose sorting failed is tried again",
         {[](auto&, auto& out) { fs::remove(out); },
          [](auto& in, auto&) { dropFile(in / "a.zip"); },
          [](auto&, auto& out) { fs::create_directory(out); }},
         {"a.zip"},
         {},
         {}},
    };
    for (const Case& c : cases) {
        startAfresh();
        RuleRec& rule = addRule(NewFile);
        ruleacondrec zip;
        zip.rcond = FileExt;
        zip.rcondFileExt.ext = "zip";
        rule.conds = {zip};
        rule.condcnt = 1;
        addAction(rule, rMove, outbox());
        bool first = true;
        for (const FolderChange& change : c.beforeEachTurn) {
            change(fs::path(inbox()), fs::path(outbox()));
            turn(std::exchange(first, false));
        }
        EXPECT_EQ(namesIn(outbox()), c.sorted) << c.what;
        EXPECT_EQ(namesIn(inbox()), c.left) << c.what;
        EXPECT_EQ(knownNames(), c.known) << c.what;
    }
}

TEST_F(MonitorCycle, AFailedOperationIsTakenUpAgainNextCycle) {
    struct Case {
        const char* what;
        std::uint8_t trigger;
        std::uint8_t action;
    };
    const Case cases[] = {
        {"a move into a missing folder", NewFile, rMove},
        {"a copy into a missing folder", NewFile, rCopy},
        {"a count rule sees every file anyway", FileCount, rCopy},
    };
    for (const Case& c : cases) {
        startAfresh();
        fs::remove(outbox());
        addAction(addRule(c.trigger), c.action, outbox());
        turn(true);
        put("a", "content");
        turn();
        // Known, so that no other rule takes it for new; its own rule's retry takes it up.
        EXPECT_EQ(knownNames(), std::vector<std::string>{"a"}) << c.what;
        EXPECT_EQ(service.retries.size(), 1U) << c.what;
        fs::create_directories(outbox());
        turn();
        EXPECT_EQ(readBytes(out("a")), "content") << c.what << ": done in the next cycle";
        EXPECT_EQ(fs::exists(in("a")), c.action == rCopy) << c.what;
        EXPECT_TRUE(service.retries.empty()) << c.what << ": nothing left to retry";
    }
}

// A rule that takes every file at each turn copies each file once, under either name-clash
// choice: not again at the next turns (keep both would add a numbered copy each time, until the
// disk is full), but again once the file changed or its copy is gone.
TEST_F(MonitorCycle, ARuleOnEveryFileCopiesEachVersionOfAFileOnce) {
    for (const NameClash clash : {NameClash::Replace, NameClash::KeepBoth}) {
        SCOPED_TRACE(static_cast<int>(clash));
        startAfresh();
        addAction(addRule(FileCount), rCopy, outbox());
        SortingPolicy policy;
        policy.nameClash = clash;
        const auto turns = [&](int count) {
            for (int i = 0; i < count; ++i)
                RunServiceTurn(service, false, policy, environment);
        };
        const auto copies = [&] {
            std::vector<std::string> names;
            for (const auto& entry : fs::directory_iterator(outbox()))
                names.push_back(entry.path().filename().string() + "=" +
                                readBytes(entry.path().string()));
            std::ranges::sort(names);
            return names;
        };
        put("a", "first");
        turns(3);
        EXPECT_EQ(copies(), std::vector<std::string>{"a=first"});
        put("a", "second version");
        turns(3);
        const std::vector<std::string> replaced{"a=second version"};
        const std::vector<std::string> both{"a (2)=second version", "a=first"};
        EXPECT_EQ(copies(), clash == NameClash::Replace ? replaced : both);
        for (const auto& entry : fs::directory_iterator(outbox()))
            fs::remove(entry.path());
        turns(2);
        EXPECT_EQ(copies(), std::vector<std::string>{"a=second version"});
    }
}

// Under "keep both", a file that already has the numbered name a rename would give it keeps it:
// nothing is done, and nothing fails or waits for a retry.
TEST_F(MonitorCycle, ARenameToTheNumberedNameAFileHasDoesNothing) {
    for (const std::uint8_t trigger : {NewFile, FileCount}) {
        SCOPED_TRACE(static_cast<int>(trigger));
        startAfresh();
        RuleRec& rule = addRule(trigger);
        rule.actions.push_back(test::MakeAction(rRename));
        rule.actions.back().racrename.newname = "scan.{ext}";
        rule.actioncnt = 1;
        SortingPolicy keepBoth;
        keepBoth.nameClash = NameClash::KeepBoth;
        RunServiceTurn(service, true, keepBoth, environment);
        put("scan.pdf", "one");
        put("scan (2).pdf", "two");
        for (int i = 0; i < 3; ++i)
            RunServiceTurn(service, false, keepBoth, environment);
        EXPECT_EQ(readBytes(in("scan.pdf")), "one");
        EXPECT_EQ(readBytes(in("scan (2).pdf")), "two");
        EXPECT_TRUE(service.retries.empty());
    }
}

TEST_F(MonitorCycle, AFileStillBeingWrittenIsLeftForALaterCycle) {
    if (!leasesWork(temp))
        GTEST_SKIP() << "this file system grants no leases";
    struct Case {
        const char* what;
        test::OpenFor access;
        bool leftAlone;
    };
    const Case cases[] = {
        {"open for writing", test::OpenFor::Writing, true},
        {"open for reading and writing", test::OpenFor::ReadingAndWriting, true},
        {"open for reading only", test::OpenFor::Reading, false},
    };
    for (const Case& c : cases) {
        startAfresh();
        addAction(addRule(NewFile), rMove, outbox());
        turn(true);
        put("download", "partial");
        {
            const test::HeldOpen holder(in("download"), c.access);
            ASSERT_TRUE(holder.held()) << c.what;
            turn();
            EXPECT_EQ(fs::exists(in("download")), c.leftAlone) << c.what;
            EXPECT_TRUE(knownNames().empty())
                << c.what << ": neither left alone nor moved is known";
        }
        turn();
        EXPECT_FALSE(fs::exists(in("download"))) << c.what << ": sorted once closed";
        EXPECT_EQ(readBytes(out("download")), "partial") << c.what;
    }
}

TEST_F(MonitorCycle, AServiceSwitchedOffFindsArrivalsWhenSwitchedOnAgain) {
    RuleRec& rule = addRule(NewFile);
    addAction(rule, rDelete);
    put("a");
    turn(true);
    service.enabled = false;
    put("b");
    turn();
    service.enabled = true;
    turn();
    EXPECT_TRUE(fs::exists(in("a")));
    EXPECT_FALSE(fs::exists(in("b")));
}

TEST_F(MonitorCycle, AFolderEntryIsCountedButNeverMovedOrDeleted) {
    RuleRec& counting = addRule(FileCount);
    counting.fcnt = 1;
    addAction(counting, rMove, outbox());
    RuleRec& deleting = addRule(FileCount);
    deleting.fcnt = 1;
    addAction(deleting, rDelete);
    put("file");
    fs::create_directories(in("sub"));
    writeBytes(in("sub") + "/inner", "kept");
    turn();
    EXPECT_TRUE(fs::exists(out("file")));
    EXPECT_EQ(readBytes(in("sub") + "/inner"), "kept");
    EXPECT_FALSE(fs::exists(out("sub")));
}

TEST_F(MonitorCycle, EveryRuleOfATurnSeesTheSameFileList) {
    RuleRec& first = addRule(FileCount);
    addAction(first, rDelete);
    RuleRec& second = addRule(FileCount);
    addAction(second, rCopy, outbox());
    RuleRec& third = addRule(FileCount);
    third.actions.push_back(test::Launching("viewer", "mfile"));
    third.actioncnt = 1;
    put("a");
    turn();
    EXPECT_FALSE(fs::exists(in("a")));
    EXPECT_FALSE(fs::exists(out("a"))) << "the copy of a deleted file fails quietly";
    ASSERT_EQ(environment.launches.size(), 1u) << "the later rule still selects the gone file";
    EXPECT_EQ(environment.launches[0].arguments, std::vector<std::string>{in("a")});
}

// A rule that keeps its files to itself takes them from every later rule of the turn, also past a
// rule between that does not; one that took nothing leaves the later rules every file.
TEST_F(MonitorCycle, FilesARuleKeepsToItselfAreLeftAloneByTheLaterRules) {
    struct Row {
        const char* takenFirst; // names the first rule takes (a launch, which leaves them there)
        bool firstKeeps;
        const char* takenBetween;        // names a second rule that never keeps its files takes
        std::vector<std::string> copied; // by a last rule on every file
    };
    const std::vector<Row> rows = {
        {"a*", true, "", {"b1", "c1"}},         {"a*", false, "", {"a1", "b1", "c1"}},
        {"z*", true, "", {"a1", "b1", "c1"}},   {"a*", true, "b*", {"b1", "c1"}},
        {"z*", true, "b*", {"a1", "b1", "c1"}},
    };
    const auto namesLike = [](const std::string& patterns) {
        ruleacondrec condition;
        condition.rcond = FileNameMatching;
        condition.names = patterns;
        return condition;
    };
    for (const Row& row : rows) {
        startAfresh();
        RuleRec& first = addRule(FileCount);
        first.conds = {namesLike(row.takenFirst)};
        first.condcnt = 1;
        first.stopAfter = row.firstKeeps;
        first.actions.push_back(test::Launching("viewer", "mfile"));
        first.actioncnt = 1;
        if (*row.takenBetween != '\0') {
            RuleRec& between = addRule(FileCount);
            between.conds = {namesLike(row.takenBetween)};
            between.condcnt = 1;
            between.actions.push_back(test::Launching("viewer", "mfile"));
            between.actioncnt = 1;
        }
        addAction(addRule(FileCount), rCopy, outbox());
        for (const char* name : {"a1", "b1", "c1"})
            put(name);
        turn();
        std::vector<std::string> copied;
        for (const auto& entry : fs::directory_iterator(outbox()))
            copied.push_back(entry.path().filename().string());
        std::sort(copied.begin(), copied.end());
        EXPECT_EQ(copied, row.copied)
            << row.takenFirst << (row.firstKeeps ? " kept" : "") << " / " << row.takenBetween;
    }
}

TEST_F(MonitorCycle, CountsBoundTheRulesConditionsAndActions) {
    RuleRec& rule = addRule(FileCount);
    addAction(rule, rDelete);
    rule.actioncnt = 0; // an action beyond the count is ignored
    RuleRec& switchedOff = addRule(FileCount);
    addAction(switchedOff, rDelete);
    switchedOff.enabled = false;
    RuleRec& beyond = addRule(FileCount);
    addAction(beyond, rDelete);
    service.rulelist.rulecnt = 2;
    put("a");
    turn();
    EXPECT_TRUE(fs::exists(in("a")));
}

TEST_F(MonitorCycle, DateConditionsReadTheFilesLastWriteTime) {
    RuleRec& rule = addRule(FileCount);
    ruleacondrec older;
    older.rcond = FileDate;
    older.rdnum = cmpGreater;
    older.rdays = 1;
    rule.conds.push_back(older);
    rule.condcnt = 1;
    addAction(rule, rMove, outbox());
    put("recent");
    put("old");
    test::setLocalWriteTime(in("recent"), 2026, 12, 7, 23);
    test::setLocalWriteTime(in("old"), 2026, 12, 5, 8);
    turn();
    EXPECT_TRUE(fs::exists(in("recent")));
    EXPECT_TRUE(fs::exists(out("old")));
}

TEST_F(MonitorCycle, TheTableIsWorkedInOrderAndEachFolderCountsItsOwnSize) {
    ServiceTable table;
    table.services.push_back(service);
    table.services[0].sharedir = outbox(); // empty
    RuleRec big;
    big.enabled = true;
    big.mcond = TotalFileSize;
    big.fsize = 0;
    big.actions = {test::Deleting()};
    big.actioncnt = 1;
    table.services[0].rulelist = {1, {big}};
    table.services.push_back(table.services[0]);
    table.services[1].sharedir = inbox();
    put("large", std::string(1'024'000, 'x'));
    runMonitorCycle(table, true, {}, environment);
    EXPECT_FALSE(fs::exists(in("large")));
    EXPECT_TRUE(table.services[0].knownready);
    EXPECT_TRUE(table.services[1].knownready);
    EXPECT_EQ(table.services[1].knowncnt, 0) << "the deleted file is not known";
}

// Fails the listing of one folder as running out of memory would.
class FailingEnvironment : public test::RecordingEnvironment {
public:
    explicit FailingEnvironment(std::string failing) : failing_(std::move(failing)) {}
    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override {
        if (folder == failing_)
            throw std::bad_alloc();
        return RecordingEnvironment::listFolder(folder, withDetails);
    }

private:
    std::string failing_;
};

TEST_F(MonitorCycle, AServiceThatFailsUnexpectedlyDoesNotStopTheOthers) {
    ServiceTable table;
    table.services = {service, service};
    table.services[0].sharedir = outbox();
    table.services[0].knownfiles = {filerec{"kept", 0, 0.0}};
    table.services[0].knowncnt = 1;
    FailingEnvironment failing(outbox());
    runMonitorCycle(table, true, {}, failing);
    EXPECT_EQ(table.services[0].knowncnt, 1);
    EXPECT_FALSE(table.services[0].knownready);
    EXPECT_TRUE(table.services[1].knownready);
}

// Throws whatever it is given when the cycle lists the folder.
class ThrowingEnvironment : public test::RecordingEnvironment {
public:
    explicit ThrowingEnvironment(std::function<void()> raise) : raise_(std::move(raise)) {}
    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string&,
                                                                 bool) override {
        raise_();
        return std::nullopt;
    }

private:
    std::function<void()> raise_;
};

TEST_F(MonitorCycle, WhatStopsAServicesTurnIsLoggedWithWhatItSaid) {
    const struct {
        const char* what;
        std::function<void()> raise;
        const char* logged;
    } cases[] = {
        {"a standard exception", [] { throw std::runtime_error("disk on fire"); }, "disk on fire"},
        {"no memory", [] { throw std::bad_alloc(); }, "bad_alloc"},
        {"anything else", [] { throw 7; }, "unknown exception"},
    };
    for (const auto& c : cases) {
        ServiceTable table;
        table.services = {service, service};
        ThrowingEnvironment throwing(c.raise);
        test::CapturedLog log;
        runMonitorCycle(table, true, {}, throwing);
        ASSERT_EQ(log.lines.size(), 2U) << c.what << ": one line for each service's turn";
        for (const std::string& line : log.lines)
            EXPECT_NE(line.find(c.logged), std::string::npos) << c.what << ": " << line;
    }
}

} // namespace
} // namespace lp
