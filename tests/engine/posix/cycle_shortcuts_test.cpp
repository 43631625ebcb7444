// The monitor cycle with a memory of earlier cycles against the cycle that lists every folder in
// full, over the same real folders and the same sequence of changes: every operation, in order,
// and every known-file list must be the same, while the remembering cycle lists less.

#include "engine/logging_environment.h"
#include "engine/monitor_cycle.h"
#include "engine/operation_report.h"
#include "engine/system_environment.h"
#include "globals/temp_folder.h"
#include "platform/file_in_use.h"
#include "platform/local_time.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace lp {
namespace {

namespace fs = std::filesystem;

} // namespace

void PrintTo(const filerec& file, std::ostream* out) {
    *out << file.name << " (" << file.size << " bytes, " << file.date << ")";
}

namespace {

// Passes everything to the system's observer, but can be told that its events were lost: it then
// drops what its watches saw, as an overflowing event queue does.
class LosingObserver : public platform::FolderObserver {
public:
    explicit LosingObserver(platform::FolderObserver& inner) : inner_(inner) {}
    std::optional<platform::FolderStamp> stamp(const std::string& folder) override {
        return inner_.stamp(folder);
    }
    int watch(const std::string& folder) override { return inner_.watch(folder); }
    void unwatch(int watch) override { inner_.unwatch(watch); }
    platform::FolderChanges takeChanges(int watch) override {
        platform::FolderChanges changes = inner_.takeChanges(watch);
        if (overflowed)
            changes = platform::FolderChanges{};
        return changes;
    }
    platform::EntryLook examine(const std::string& folder,
                                const std::vector<platform::FolderEntry*>& entries) override {
        return inner_.examine(folder, entries);
    }
    std::int64_t now() override { return inner_.now(); }

    bool overflowed = false;

private:
    platform::FolderObserver& inner_;
};

// Reads the real folders and asks the real in-use check, but records the operations instead of
// performing them, so that both cycles see the same disk. A move of a file whose name holds
// "fail" fails.
class RecordingEnvironment : public SystemEnvironment {
public:
    explicit RecordingEnvironment(bool observe) : observe_(observe) {}

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override {
        ++(withDetails ? detailedListings : namesListings[folder]);
        return SystemEnvironment::listFolder(folder, withDetails);
    }
    platform::FolderObserver* folderObserver() override {
        if (!observe_)
            return nullptr;
        if (!losing_)
            losing_.emplace(*SystemEnvironment::folderObserver());
        return &*losing_;
    }
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash) override {
        log("copy " + source + " " + destination);
        return destination;
    }
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash) override {
        const bool fails = source.find("fail") != std::string::npos;
        log("move " + source + " " + destination + (fails ? " failed" : ""));
        return fails ? std::nullopt : std::optional(destination);
    }
    bool deleteFile(const std::string& path) override { return log("delete " + path), true; }
    bool trashFile(const std::string& path) override { return log("trash " + path), true; }
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override {
        std::string line = "launch " + program;
        for (const auto& argument : arguments)
            line += " " + argument;
        log(line);
        return true;
    }
    double today() override { return day; }

    void overflow(bool lost) {
        folderObserver();
        if (losing_)
            losing_->overflowed = lost;
    }

    std::vector<std::string> operations;
    std::map<std::string, int> namesListings; // by folder
    int detailedListings = 0;
    double day = platform::LocalDateTime(2026, 12, 8);

private:
    void log(std::string line) { operations.push_back(std::move(line)); }

    bool observe_;
    std::optional<LosingObserver> losing_;
};

ruleacondrec extension(const char* ext) {
    ruleacondrec condition;
    condition.rcond = FileExt;
    condition.rcondFileExt.ext = ext;
    return condition;
}
ruleacondrec sizeOver(std::int32_t kilobytes) {
    ruleacondrec condition;
    condition.rcond = FileSize;
    condition.rnum = cmpGreater;
    condition.size = kilobytes;
    return condition;
}
ruleacondrec olderThan(std::int32_t days) {
    ruleacondrec condition;
    condition.rcond = FileDate;
    condition.rdnum = cmpGreater;
    condition.rdays = days;
    return condition;
}
ruleacondrec ranked(std::uint8_t kind, std::int32_t n) {
    ruleacondrec condition;
    condition.rcond = kind;
    condition.newfilecnt = n;
    condition.oldfilecnt = n;
    return condition;
}

// A rule that hands every file it selects to a program (so the log shows the selection whole and
// in order), and moves the files of a "new file" rule away.
RuleRec rule(std::uint8_t trigger, std::vector<ruleacondrec> conditions, const std::string& to) {
    RuleRec made;
    made.rulename = "rule";
    made.enabled = true;
    made.mcond = trigger;
    made.fcnt = 1;
    made.conds = std::move(conditions);
    made.condcnt = static_cast<std::int32_t>(made.conds.size());
    made.actions.push_back(test::Launching("/bin/true", "mfile"));
    if (trigger == NewFile)
        made.actions.push_back(test::MoveTo(to));
    made.actioncnt = static_cast<std::int32_t>(made.actions.size());
    return made;
}

rServiceRules service(const std::string& folder, std::vector<RuleRec> rules,
                      const std::string& exclude = {}) {
    rServiceRules made;
    made.serviceid = kOtherService;
    made.enabled = true;
    made.sharedir = folder;
    made.excludefiles = exclude;
    made.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
    made.rulelist.rules = std::move(rules);
    return made;
}

void write(const fs::path& path, std::size_t bytes) {
    test::writeBytes(path.string(), std::string(bytes, 'x'));
}

void setWriteTime(const fs::path& path, std::int64_t secondsAgo) {
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    const timespec when{static_cast<time_t>(now - secondsAgo), 0};
    const timespec times[2] = {when, when};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// Public, so that the steps of a test can change the folders and the environments.
class CycleShortcuts : public testing::Test {
public:
    CycleShortcuts() {
        fs::create_directories(in);
        fs::create_directories(box);
        fs::create_directories(in / "sub");
        write(in / "a.mp3", 100);
        write(in / "b.dat", 3000);
        write(in / "c.mp3", 5000);
        setWriteTime(in / "c.mp3", 10 * 86400);
        fs::create_symlink(in / "a.mp3", in / "link.mp3");
        write(box / "notes.txt", 10);
        write(box / "scratch.tmp", 10);
        const std::string to = temp.file("out");
        for (ServiceTable* table : {&remembering, &listing}) {
            table->services = {
                service(in.string(), {rule(NewFile, {extension("mp3")}, to)}),
                service(in.string(), {rule(NewFile, {sizeOver(1)}, to)}),
                service(in.string(), {rule(FileCount, {olderThan(2)}, to),
                                      rule(FileCount, {ranked(FileDateNew, 2)}, to),
                                      rule(TotalFileSize, {ranked(FileDateOld, 1)}, to)}),
                service(box.string(), {rule(NewFile, {}, to)}, "*.tmp"),
                service(box.string(), {rule(FileCount, {extension("txt")}, to)}, "*.tmp"),
                service(box.string(), {rule(NewFile, {sizeOver(0)}, to)}),
            };
        }
    }

    // One cycle of each kind. A folder changed just now has its own time set back first, as if
    // the change had been made a while ago, so that it can be trusted from the next cycle on.
    void cycle(const std::string& what) {
        for (const fs::path& folder : {in, box}) {
            struct stat status {};
            ::stat(folder.c_str(), &status);
            if (status.st_mtim.tv_sec > std::time(nullptr) - 30)
                setWriteTime(folder, 60);
        }
        const auto remembered = shortcuts.operations.size();
        const auto listed = full.operations.size();
        runMonitorCycle(remembering, first, {}, reported, &memory);
        runMonitorCycle(listing, first, {}, full);
        first = false;
        const std::vector<std::string> a(shortcuts.operations.begin() + remembered,
                                         shortcuts.operations.end());
        const std::vector<std::string> b(full.operations.begin() + listed, full.operations.end());
        EXPECT_EQ(a, b) << what;
        for (std::size_t s = 0; s < listing.services.size(); ++s) {
            EXPECT_EQ(remembering.services[s].knownfiles, listing.services[s].knownfiles)
                << what << ", service " << s;
            EXPECT_EQ(remembering.services[s].knowncnt, listing.services[s].knowncnt)
                << what << ", service " << s;
        }
    }

    test::TempFolder temp;
    fs::path in = temp.file("in");
    fs::path box = temp.file("box");
    ServiceTable remembering;
    ServiceTable listing;
    RecordingEnvironment shortcuts{true};
    RecordingEnvironment full{false};
    // The remembering cycle runs logged and reported, as the programs run it, so that its
    // savings show only when those layers hand the folder observer and listings through.
    ActivityLog activity{temp.file("activity.log"), [](const std::string&) {}};
    LoggingEnvironment logged{shortcuts, activity};
    ReportingEnvironment reported{logged, [](const std::string&) {}};
    CycleMemory memory;
    bool first = true;
};

TEST_F(CycleShortcuts, ActAsAFullListingDoesThroughEveryKindOfChange) {
    struct Step {
        const char* what;
        std::function<void(CycleShortcuts&)> change;
    };
    const Step steps[] = {
        {"the first cycle", [](auto&) {}},
        {"nothing changed", [](auto&) {}},
        {"nothing changed again", [](auto&) {}},
        {"an arrival", [](auto& t) { write(t.in / "d.mp3", 2000); }},
        {"a removal", [](auto& t) { fs::remove(t.in / "b.dat"); }},
        {"a rename", [](auto& t) { fs::rename(t.in / "c.mp3", t.in / "e.mp3"); }},
        {"a file grew, through a link too", [](auto& t) { write(t.in / "a.mp3", 4000); }},
        {"a file's time set back", [](auto& t) { setWriteTime(t.in / "e.mp3", 20 * 86400); }},
        {"a sub-folder's content changed", [](auto& t) { write(t.in / "sub" / "x", 1); }},
        {"a file whose move fails", [](auto& t) { write(t.in / "fail.mp3", 2000); }},
        {"the failed move is tried again", [](auto&) {}},
        {"one name replaced by another",
         [](auto& t) {
             fs::remove(t.in / "d.mp3");
             write(t.in / "f.mp3", 2000);
         }},
        {"the box folder replaced",
         [](auto& t) {
             fs::rename(t.box, t.temp.file("old-box"));
             fs::create_directories(t.box);
             write(t.box / "notes.txt", 10);
             write(t.box / "other.txt", 5000);
         }},
        {"nothing changed in the new box", [](auto&) {}},
        {"events lost, and a change among them",
         [](auto& t) {
             t.shortcuts.overflow(true);
             write(t.in / "e.mp3", 7000);
             write(t.box / "late.txt", 1);
         }},
        {"events seen again", [](auto& t) { t.shortcuts.overflow(false); }},
        {"many arrivals at once",
         [](auto& t) {
             for (int n = 0; n < 40; ++n)
                 write(t.in / ("batch-" + std::to_string(n) + (n % 2 ? ".mp3" : ".dat")), 1500);
         }},
        {"a new day",
         [](auto& t) {
             t.shortcuts.day += 9;
             t.full.day += 9;
         }},
        {"a link now leads elsewhere",
         [](auto& t) {
             fs::remove(t.in / "link.mp3");
             fs::create_symlink(t.in / "e.mp3", t.in / "link.mp3");
         }},
        {"a file emptied", [](auto& t) { write(t.in / "f.mp3", 0); }},
        {"a second name for a file, in its folder",
         [](auto& t) { fs::create_hard_link(t.in / "f.mp3", t.in / "f.link"); }},
        {"the file written through its second name", [](auto& t) { write(t.in / "f.link", 3000); }},
        {"written through its first name", [](auto& t) { write(t.in / "f.mp3", 6000); }},
        {"a second name made and written through at once",
         [](auto& t) {
             fs::create_hard_link(t.in / "e.mp3", t.in / "e.link");
             write(t.in / "e.link", 9000);
         }},
        {"the second name gone, the file written",
         [](auto& t) {
             fs::remove(t.in / "f.link");
             write(t.in / "f.mp3", 2500);
         }},
        {"nothing changed at the end", [](auto&) {}},
    };
    for (const Step& step : steps) {
        step.change(*this);
        cycle(step.what);
    }
    // The remembering cycle must have had something to save, or this test proves nothing.
    EXPECT_LT(shortcuts.namesListings[box.string()], full.namesListings[box.string()]);
    EXPECT_LT(shortcuts.detailedListings, full.detailedListings);
}

TEST_F(CycleShortcuts, FilesInUseAreLeftOutAsAFullListingLeavesThem) {
    const std::string probe = (in / "probe").string();
    write(probe, 1);
    const int probeWriter = ::open(probe.c_str(), O_WRONLY | O_CLOEXEC);
    const bool leasesWork = platform::FileOpenForWriting(probe);
    ::close(probeWriter);
    fs::remove(probe);
    if (!leasesWork)
        GTEST_SKIP() << "this file system does not tell files open for writing";
    cycle("the first cycle");
    write(in / "busy.mp3", 2000);
    const int writer = ::open((in / "busy.mp3").c_str(), O_WRONLY | O_CLOEXEC);
    const auto busyOperations = [&] {
        return std::count_if(
            full.operations.begin(), full.operations.end(),
            [](const std::string& line) { return line.find("busy.mp3") != std::string::npos; });
    };
    cycle("a file still being written");
    cycle("still being written, nothing else changed");
    EXPECT_EQ(busyOperations(), 0) << "a file in use is never acted on";
    ::close(writer);
    cycle("written and closed");
    EXPECT_GT(busyOperations(), 0) << "a closed file is new again";
    cycle("nothing changed");
}

} // namespace
} // namespace lp

namespace lp {
namespace {

// A folder watched with its sub-folders, through the same changes as above: the remembering
// cycle, which remembers and watches each sub-folder, must act and record exactly as the cycle
// that walks the whole tree each time.
class TreeShortcuts : public testing::Test {
public:
    TreeShortcuts() {
        fs::create_directories(in / "a" / "b" / "deep" / "deeper");
        fs::create_directories(in / "c");
        fs::create_directories(in / "sorted");
        write(in / "top.mp3", 100);
        write(in / "a" / "one.mp3", 3000);
        write(in / "a" / "b" / "two.mp3", 5000);
        write(in / "a" / "b" / "deep" / "three.mp3", 10);
        write(in / "a" / "b" / "deep" / "deeper" / "beyond.mp3", 10);
        write(in / "c" / "skip.tmp", 10);
        write(in / "sorted" / "done.mp3", 10);
        setWriteTime(in / "a" / "b" / "two.mp3", 10 * 86400);
        const std::string to = temp.file("out");
        for (ServiceTable* table : {&remembering, &listing}) {
            RuleRec moving = rule(NewFile, {extension("mp3")}, (in / "sorted").string());
            table->services = {
                service(in.string(), {moving}, "*.tmp"),
                service(in.string(), {rule(FileCount, {ranked(FileDateNew, 2)}, to),
                                      rule(TotalFileSize, {ranked(FileDateOld, 1)}, to)}),
                service(in.string(), {rule(NewFile, {sizeOver(0)}, to)}, "a/b/*"),
            };
            for (rServiceRules& watched : table->services)
                watched.subfolders = 3;
        }
    }

    void cycle(const std::string& what) {
        // Folders changed just now are set back, as in CycleShortcuts::cycle.
        for (const auto& item : fs::recursive_directory_iterator(in)) {
            struct stat status {};
            if (item.is_directory() && ::lstat(item.path().c_str(), &status) == 0 &&
                status.st_mtim.tv_sec > std::time(nullptr) - 30)
                setWriteTime(item.path(), 60);
        }
        const auto remembered = shortcuts.operations.size();
        const auto listed = full.operations.size();
        runMonitorCycle(remembering, first, {}, shortcuts, &memory);
        runMonitorCycle(listing, first, {}, full);
        first = false;
        const std::vector<std::string> a(shortcuts.operations.begin() + remembered,
                                         shortcuts.operations.end());
        const std::vector<std::string> b(full.operations.begin() + listed, full.operations.end());
        EXPECT_EQ(a, b) << what;
        for (std::size_t s = 0; s < listing.services.size(); ++s)
            EXPECT_EQ(remembering.services[s].knownfiles, listing.services[s].knownfiles)
                << what << ", service " << s;
    }

    std::vector<std::string> knownNames(std::size_t service) const {
        std::vector<std::string> names;
        for (const filerec& file : listing.services.at(service).knownfiles)
            names.push_back(file.name);
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempFolder temp;
    fs::path in = temp.file("in");
    ServiceTable remembering;
    ServiceTable listing;
    RecordingEnvironment shortcuts{true};
    RecordingEnvironment full{false};
    CycleMemory memory;
    bool first = true;
};

TEST_F(TreeShortcuts, ActAsAWalkOfTheWholeTreeDoesThroughEveryKindOfChange) {
    struct Step {
        const char* what;
        std::function<void(TreeShortcuts&)> change;
        std::vector<std::string> operations; // of the walking cycle in this step
    };
    const std::string top = in.string();
    const std::string sorted = top + "/sorted";
    const std::string out = temp.file("out");
    const Step steps[] = {
        {"the first cycle", [](auto&) {}, {}},
        {"nothing changed", [](auto&) {}, {}},
        {"an arrival deep down, excluded by a path pattern from the third folder",
         [](auto& t) { write(t.in / "a" / "b" / "deep" / "new.mp3", 2000); },
         {"launch /bin/true " + top + "/a/b/deep/new.mp3",
          "move " + top + "/a/b/deep/new.mp3 " + sorted + "/new.mp3"}},
        {"an arrival beyond the levels walked, and in the destination",
         [](auto& t) {
             write(t.in / "a" / "b" / "deep" / "deeper" / "far.mp3", 2000);
             write(t.in / "sorted" / "back.mp3", 2000);
         },
         {}},
        {"a sub-folder appears with its files",
         [](auto& t) {
             fs::create_directories(t.in / "d" / "e");
             write(t.in / "d" / "e" / "fresh.mp3", 1);
             write(t.in / "d" / "fresh.tmp", 1);
         },
         {"launch /bin/true " + top + "/d/e/fresh.mp3",
          "move " + top + "/d/e/fresh.mp3 " + sorted + "/fresh.mp3"}},
        {"a file moved between sub-folders",
         [](auto& t) { fs::rename(t.in / "a" / "one.mp3", t.in / "c" / "one.mp3"); },
         {"launch /bin/true " + top + "/c/one.mp3",
          "move " + top + "/c/one.mp3 " + sorted + "/one.mp3",
          "launch /bin/true " + top + "/c/one.mp3",
          "move " + top + "/c/one.mp3 " + out + "/one.mp3"}},
        {"excluded by a path pattern",
         [](auto& t) { write(t.in / "a" / "b" / "x.dat", 5000); },
         {}},
        {"a sub-folder removed", [](auto& t) { fs::remove_all(t.in / "d"); }, {}},
        {"events lost, and a change among them",
         [](auto& t) {
             t.shortcuts.overflow(true);
             write(t.in / "c" / "late.dat", 5000);
         },
         {"launch /bin/true " + top + "/c/late.dat",
          "move " + top + "/c/late.dat " + out + "/late.dat"}},
        {"events seen again", [](auto& t) { t.shortcuts.overflow(false); }, {}},
        {"a new day",
         [](auto& t) {
             t.shortcuts.day += 9;
             t.full.day += 9;
         },
         {}},
        {"nothing changed at the end", [](auto&) {}, {}},
    };
    for (const Step& step : steps) {
        const auto before = full.operations.size();
        step.change(*this);
        cycle(step.what);
        // What the new files of the step set off (a move that is only recorded leaves its file,
        // which is new again next time, and the rankings run as well).
        const std::vector<std::string> done(
            full.operations.begin() + static_cast<std::ptrdiff_t>(before), full.operations.end());
        for (const std::string& expected : step.operations)
            EXPECT_NE(std::ranges::find(done, expected), done.end())
                << step.what << ": " << expected;
    }
    EXPECT_EQ(knownNames(0),
              (std::vector<std::string>{"a/b/deep/deeper", "a/b/deep/three.mp3", "a/b/two.mp3",
                                        "a/b/x.dat", "c/late.dat", "top.mp3"}));
    // Nothing in a rule's destination inside the tree was sorted there again by that rule, and
    // nothing beyond the levels walked was acted on.
    for (const std::string& line : full.operations) {
        EXPECT_EQ(line.find(sorted + "/back.mp3 " + sorted), std::string::npos) << line;
        EXPECT_EQ(line.find("a/b/deep/new.mp3 " + out), std::string::npos) << line;
        EXPECT_EQ(line.find("far.mp3"), std::string::npos) << line;
    }
    EXPECT_LT(shortcuts.detailedListings, full.detailedListings);
}

} // namespace
} // namespace lp
