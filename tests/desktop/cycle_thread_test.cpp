// The cycle on its own thread: the window's thread is answered while a cycle runs, the cycle works
// on the table as it was at its start, one runs at a time, and what it leaves known stays with
// the thread from one cycle to the next, replaced by a listing taken at a click.

#include "desktop/cycle_thread.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include <future>
#include <string>
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
            Seen now{service.rulelist.rulecnt, {}};
            for (const filerec& file : service.knownfiles)
                now.known.push_back(file.name);
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

    struct Step {
        const char* what;
        bool adoptListing;
        Seen expected;
    };
    const Step steps[] = {
        {"the first cycle's known files come back", false, {2, {"seen1"}}},
        {"and grow with each cycle", false, {2, {"seen1", "seen2"}}},
        {"a listing taken at a click replaces them", true, {2, {"listed"}}},
    };
    for (const Step& step : steps) {
        if (step.adoptListing) {
            ServiceTable listed = tableWithRules(0);
            listed.services[0].knownfiles = {{"listed", 0, 0}};
            listed.services[0].knowncnt = 1;
            listed.services[0].knownready = true;
            cycles.adoptListing(listed);
        }
        ASSERT_TRUE(cycles.start(table, false)) << step.what;
        ASSERT_TRUE(ended.wait()) << step.what;
        EXPECT_EQ(seen.back().rules, step.expected.rules) << step.what;
        EXPECT_EQ(seen.back().known, step.expected.known) << step.what;
    }
    EXPECT_EQ(seen.front().rules, 1) << "the first cycle saw the table as at its start";
    EXPECT_TRUE(table.services[0].knownfiles.empty()) << "the window's table holds no known files";
}

} // namespace
} // namespace lp
