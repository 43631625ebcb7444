// The cycle on its own thread: the window's thread is answered while a cycle runs, the cycle works
// on the table as it was at its start, one runs at a time, and what it leaves known stays with
// the thread from one cycle to the next, replaced by a listing taken at a click.

#include "desktop/cycle_thread.h"
#include "desktop/sorting_cycle.h"
#include "engine/failure_reason.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "platform/copy_watch.h"
#include "platform/file_operations.h"
#include "support/rule_action.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <utility>
#include <vector>

namespace lp {
namespace {

ServiceTable tableWithRules(int rules) {
    ServiceTable table;
    rServiceRules service;
    service.serviceid = kOtherService;
    service.enabled = true;
    service.sharedir = "/watched";
    service.othername = "Inbox";
    service.rulelist.rulecnt = rules;
    service.rulelist.rules.resize(static_cast<std::size_t>(rules));
    table.services = {service};
    return table;
}

// What a cycle saw of the table's one service.
struct Seen {
    int rules = 0;
    std::vector<std::string> known;
    std::vector<std::string> placed; // files the rules put in the folder itself
};

TEST(CycleThread, TheWindowIsAnsweredWhileACycleRunsOverItsOwnCopy) {
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::vector<Seen> seen;
    bool blockFirst = true;
    CycleThread cycles(
        [&](ServiceTable& table, bool) {
            rServiceRules& service = table.services.at(0);
            Seen now{service.rulelist.rulecnt, {}, {}};
            for (const filerec& file : service.knownfiles)
                now.known.push_back(file.name);
            for (const filerec& file : service.renamedInPlace)
                now.placed.push_back(file.name);
            if (blockFirst) {
                blockFirst = false;
                started.set_value();
                released.wait();
            }
            seen.push_back(now);
            // What this cycle leaves known: one more name each time.
            service.knownfiles.push_back({"seen" + std::to_string(seen.size()), 0, 0});
            service.knowncnt = static_cast<std::int32_t>(service.knownfiles.size());
            service.knownready = true;
            service.renamedInPlace.push_back({"put" + std::to_string(seen.size()), 0, 0});
            service.knownLevels = 0; // taken without sub-folders
        },
        CycleThread::Mode::OwnThread);
    QSignalSpy ended(&cycles, &CycleThread::cycleEnded);

    ServiceTable table = tableWithRules(1);
    ASSERT_TRUE(cycles.start(table, false));
    started.get_future().wait();

    // The cycle is held inside; the window's thread still runs its events.
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    QCoreApplication::processEvents();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(cycles.running());
    EXPECT_FALSE(cycles.start(table, false)) << "one cycle at a time";
    table = tableWithRules(2); // an edit meanwhile counts from the next cycle

    release.set_value();
    ASSERT_TRUE(ended.wait());
    EXPECT_FALSE(cycles.running());

    enum class Listing : std::uint8_t { None, Adopted, LettingMoreIn };
    struct Step {
        const char* what;
        Listing listing;
        Seen expected;
    };
    const Step steps[] = {
        {"the first cycle's known and placed files come back",
         Listing::None,
         {2, {"seen1"}, {"put1"}}},
        {"and grow with each cycle", Listing::None, {2, {"seen1", "seen2"}, {"put1", "put2"}}},
        {"a listing taken at a click replaces the known, never the placed",
         Listing::Adopted,
         {2, {"listed"}, {"put1", "put2", "put3"}}},
        {"one taken as settings let more in adds only what they let in",
         Listing::LettingMoreIn,
         {2, {"listed", "seen4", "sub/old"}, {"put1", "put2", "put3", "put4"}}},
    };
    for (const Step& step : steps) {
        if (step.listing != Listing::None) {
            ServiceTable listed = tableWithRules(0);
            listed.services[0].knownfiles = {{"listed", 0, 0}};
            if (step.listing == Listing::LettingMoreIn) {
                listed.services[0].subfolders = 1;
                listed.services[0].knownfiles.push_back({"sub/old", 0, 0});
            }
            listed.services[0].knowncnt =
                static_cast<std::int32_t>(listed.services[0].knownfiles.size());
            listed.services[0].knownready = true;
            if (step.listing == Listing::Adopted)
                cycles.adoptListing(listed);
            else
                cycles.knowLetIn(listed);
        }
        ASSERT_TRUE(cycles.start(table, false)) << step.what;
        ASSERT_TRUE(ended.wait()) << step.what;
        EXPECT_EQ(seen.back().rules, step.expected.rules) << step.what;
        EXPECT_EQ(seen.back().known, step.expected.known) << step.what;
        EXPECT_EQ(seen.back().placed, step.expected.placed) << step.what;
    }
    EXPECT_EQ(seen.front().rules, 1) << "the first cycle saw the table as at its start";
    EXPECT_TRUE(table.services[0].knownfiles.empty()) << "the window's table holds no known files";
}

// A job runs on the cycle thread after the cycle in progress, and its done on the window's; a
// job that sorts holds the cycles off until its done has run, and ends as a cycle does.
TEST(CycleThread, AJobRunsAfterTheCycleInProgressAndOneThatSortsHoldsTheCyclesOff) {
    std::promise<void> started;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // Each step with the thread it ran on: the cycle thread's and the window's are two
    // sequences, whose steps may interleave either way.
    std::vector<std::string> ran, done;
    const auto onWindow = [] { return QThread::currentThread() == qApp->thread(); };
    CycleThread cycles(
        [&, blockFirst = true](ServiceTable&, bool) mutable {
            if (std::exchange(blockFirst, false)) {
                started.set_value();
                released.wait();
            }
            ran.emplace_back("cycle");
        },
        CycleThread::Mode::OwnThread);
    QSignalSpy ended(&cycles, &CycleThread::cycleEnded);
    ASSERT_TRUE(cycles.start(tableWithRules(1), false));
    started.get_future().wait();

    struct Case {
        const char* job;
        bool sorts;
    } cases[] = {{"preview", false}, {"sort", true}};
    for (const Case& c : cases)
        cycles.runJob([&ran, &onWindow,
                       c] { ran.push_back(c.job + std::string(onWindow() ? " on window" : "")); },
                      [&done, &onWindow, c] {
                          done.push_back(c.job +
                                         std::string(onWindow() ? " done" : " done off window"));
                      },
                      c.sorts);
    release.set_value();
    ASSERT_TRUE(ended.wait()); // the cycle's end
    while (ended.count() < 2)
        ASSERT_TRUE(ended.wait()) << "the sorting job ends as a cycle does";
    EXPECT_FALSE(cycles.running());
    EXPECT_EQ(ran, (std::vector<std::string>{"cycle", "preview", "sort"}));
    EXPECT_EQ(done, (std::vector<std::string>{"preview done", "sort done"}));

    // While a sorting job is queued, no cycle starts.
    std::promise<void> jobStarted;
    std::promise<void> jobRelease;
    std::shared_future<void> jobReleased = jobRelease.get_future().share();
    cycles.runJob(
        [&] {
            jobStarted.set_value();
            jobReleased.wait();
        },
        {}, true);
    jobStarted.get_future().wait();
    EXPECT_TRUE(cycles.running());
    EXPECT_FALSE(cycles.start(tableWithRules(1), false)) << "a sorting job counts as a cycle";
    jobRelease.set_value();
    ASSERT_TRUE(ended.wait());
    EXPECT_FALSE(cycles.running());
    EXPECT_TRUE(cycles.start(tableWithRules(1), false));
    ASSERT_TRUE(ended.wait());
    EXPECT_EQ(ran.back(), "cycle");
}

// A real copy on the cycle thread, in a cycle or in a job that sorts (Sort Now): its progress
// reaches the window's thread as it goes, in the words of the tooltip; a stopped one leaves no
// copy, and its source where it was.
struct CopyCase {
    const char* name;
    bool stopFirst;
    bool inSortingJob = false;
};

class CycleThreadCopy : public testing::TestWithParam<CopyCase> {};

TEST_P(CycleThreadCopy, AWatchedCopyTellsItsProgressOrStopsLeavingNothing) {
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const fs::path source = fs::path(dir.path().toStdString()) / "song.flac";
    const fs::path target = fs::path(dir.path().toStdString()) / "Music" / "song.flac";
    fs::create_directories(target.parent_path());
    {
        // Real data, no holes: the copy goes piece by piece.
        std::ofstream out(source, std::ios::binary);
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 40; ++i)
            out << block;
    }
    std::error_code result;
    const auto copy = [&] {
        // The cycle names the folder and rule it acts for through its environment.
        DesktopEnvironment().actFor("Inbox", "Music");
        result = platform::CopyFileReplacing(source.string(), target.string());
    };
    CycleThread cycles([&](ServiceTable&, bool) { copy(); }, CycleThread::Mode::OwnThread, nullptr,
                       ProgressPace{{}, {}});
    QSignalSpy ended(&cycles, &CycleThread::cycleEnded);
    QSignalSpy told(&cycles, &CycleThread::progress);
    if (GetParam().stopFirst)
        cycles.stopCopies();
    if (GetParam().inSortingJob)
        cycles.runJob(copy, {}, true);
    else
        ASSERT_TRUE(cycles.start({}, false));
    ASSERT_TRUE(ended.wait());

    EXPECT_TRUE(fs::exists(source)) << "the source stays where it was";
    EXPECT_EQ(fs::file_size(source), 40u << 20);
    if (GetParam().stopFirst) {
        EXPECT_EQ(result, std::errc::operation_canceled);
        EXPECT_EQ(FailureReason(result), kStoppedAtEnd) << "the log says it was stopped";
        EXPECT_TRUE(fs::is_empty(target.parent_path())) << "no copy, whole or partial";
        EXPECT_EQ(told.count(), 0);
        return;
    }
    ASSERT_FALSE(result) << result.message();
    EXPECT_EQ(fs::file_size(target), 40u << 20);
    ASSERT_GE(told.count(), 2);
    const QString first = told.front().front().value<OperationProgress>().text();
    EXPECT_TRUE(first.startsWith(QStringLiteral("Copying song.flac to ") +
                                 QString::fromStdString(target.parent_path().string()) + ": "))
        << first.toStdString();
    EXPECT_TRUE(first.endsWith('%')) << first.toStdString();
    const auto firstTold = told.front().front().value<OperationProgress>();
    EXPECT_EQ(firstTold.folder, "Inbox");
    EXPECT_EQ(firstTold.rule, "Music");
    EXPECT_FALSE(told.back().front().value<OperationProgress>().underWay())
        << "the tooltip goes back at the end";
}

// The progress of an operation is over as soon as the operation is, also when it fails half-way:
// what follows in the same cycle is not shown as still copying.
TEST(CycleThread, AnOperationsProgressEndsWithItDoneOrFailed) {
    const struct {
        const char* what;
        std::uint64_t reached; // of 100
    } cases[] = {{"done", 100}, {"failed half-way", 40}};
    for (const auto& c : cases) {
        std::vector<OperationProgress> told;
        std::vector<OperationProgress> toldBeforeTheNext;
        CycleThread cycles(
            [&](ServiceTable&, bool) {
                const std::string source = "/watched/song.flac";
                const std::string destination = "/media/usb/Music/song.flac";
                {
                    const platform::CopyUnderWay copy(source, destination, true);
                    for (std::uint64_t done = 0; done <= c.reached; done += 20)
                        platform::CopyGoesOn(done, 100);
                }
                toldBeforeTheNext = told;
            },
            CycleThread::Mode::Inline, nullptr, ProgressPace{{}, {}});
        QObject::connect(&cycles, &CycleThread::progress,
                         [&](const OperationProgress& now) { told.push_back(now); });
        ASSERT_TRUE(cycles.start({}, false)) << c.what;
        ASSERT_GE(toldBeforeTheNext.size(), 2u) << c.what;
        EXPECT_EQ(toldBeforeTheNext.front().text(),
                  QStringLiteral("Moving song.flac to /media/usb/Music: 0%"))
            << c.what;
        EXPECT_FALSE(toldBeforeTheNext.back().underWay()) << c.what;
        EXPECT_EQ(told.size(), toldBeforeTheNext.size()) << c.what << ": the end is told once";
    }
}

// A copy stopped by the program's end (as a move to another drive is) leaves no copy, and the next
// start takes the file for a new one, not for one that was there: it is copied then.
TEST(CycleThread, AFileWhoseCopyWasStoppedIsNewAtTheNextStart) {
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fs::create_directories(root / "in");
    fs::create_directories(root / "out");
    ServiceTable table = tableWithRules(1);
    rServiceRules& service = table.services[0];
    service.sharedir = (root / "in").string();
    RuleRec& rule = service.rulelist.rules[0];
    rule.enabled = true;
    rule.mcond = NewFile;
    rule.actions = {test::CopyTo((root / "out").string())};
    rule.actioncnt = 1;
    const std::string stopped = (root / "state/stopped-files").string();
    const MonitorCycle sorting = [](ServiceTable& cycleTable, bool first) {
        SystemEnvironment system;
        runMonitorCycle(cycleTable, first, {}, system);
    };

    struct Run {
        const char* what;
        bool stop;
        bool copied;
    };
    const Run runs[] = {{"the program ends during the copy", true, false},
                        {"the next start takes the file up", false, true}};
    for (const Run& run : runs) {
        CycleThread cycles(sorting, CycleThread::Mode::OwnThread, nullptr, {}, stopped);
        QSignalSpy ended(&cycles, &CycleThread::cycleEnded);
        ASSERT_TRUE(cycles.start(WithoutRules(table), true)) << run.what;
        ASSERT_TRUE(ended.wait()) << run.what;
        if (run.stop) {
            std::ofstream(root / "in/song.flac") << "a song";
            cycles.stopCopies();
        }
        ASSERT_TRUE(cycles.start(table, false)) << run.what;
        ASSERT_TRUE(ended.wait()) << run.what;
        EXPECT_EQ(fs::exists(root / "out/song.flac"), run.copied) << run.what;
        EXPECT_TRUE(fs::exists(root / "in/song.flac")) << run.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Copies, CycleThreadCopy,
                         testing::Values(CopyCase{"Runs", false}, CopyCase{"Stopped", true},
                                         CopyCase{"RunsForSortNow", false, true},
                                         CopyCase{"StoppedForSortNow", true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace lp
