// When a remembered folder is listed again and when not, against an observer and a folder whose
// every answer the test sets.

#include "engine/monitor_cycle.h"
#include "engine/remembered_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lp {
namespace {

using platform::EntryLook;
using platform::FolderChanges;
using platform::FolderEntry;
using platform::FolderStamp;

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kNow = 1'800'000'000 * kSecond;

class ScriptedObserver : public platform::FolderObserver {
public:
    std::optional<FolderStamp> stamp(const std::string&) override { return folderStamp; }
    int watch(const std::string&) override {
        if (!canWatch)
            return -1;
        ++watching;
        return 7;
    }
    void unwatch(int watch) override {
        if (watch >= 0)
            --watching;
    }
    FolderChanges takeChanges(int watch) override {
        if (watch < 0)
            return {};
        FolderChanges taken = changes;
        changes = FolderChanges{false, false, {}};
        return taken;
    }
    EntryLook examine(const std::string&, const std::vector<FolderEntry*>& entries) override {
        for (FolderEntry* entry : entries) {
            examined.push_back(entry->name);
            const auto found = disk->find(entry->name);
            if (found == disk->end())
                return EntryLook::Vanished;
            entry->size = found->second;
            entry->watchable = entry->name.rfind("link", 0) != 0;
        }
        return EntryLook::Found;
    }
    std::int64_t now() override { return clock; }

    std::optional<FolderStamp> folderStamp;
    bool canWatch = true;
    int watching = 0; // watches set and not yet given back
    FolderChanges changes{false, false, {}};
    std::vector<std::string> examined;
    std::int64_t clock = kNow;
    const std::map<std::string, std::int64_t>* disk = nullptr;
};

// A folder of named sizes; a name starting with "link" is one a watch cannot see.
class ScriptedFolder : public CycleEnvironment {
public:
    ScriptedFolder() { observer.disk = &disk; }
    std::optional<std::vector<FolderEntry>> listFolder(const std::string&,
                                                       bool withDetails) override {
        ++(withDetails ? detailedListings : namesListings);
        if (!readable)
            return std::nullopt;
        std::vector<FolderEntry> entries;
        for (const auto& [name, size] : disk)
            entries.push_back({name, false, withDetails ? size : 0, 0.0, std::nullopt,
                               withDetails && name.rfind("link", 0) != 0});
        return entries;
    }
    platform::FolderObserver* folderObserver() override { return &observer; }
    bool fileInUse(const std::string&, bool) override { return false; }
    void actFor(const std::string&, const std::string&) override {}
    std::optional<std::string> copyFile(const std::string&, const std::string&,
                                        NameClash) override {
        return std::nullopt;
    }
    std::optional<std::string> moveFile(const std::string&, const std::string&,
                                        NameClash) override {
        return std::nullopt;
    }
    std::optional<std::string> makeFolders(const std::string&, const std::vector<std::string>&,
                                           std::vector<std::string>&) override {
        return std::nullopt;
    }
    bool deleteFile(const std::string&) override { return false; }
    bool trashFile(const std::string&) override { return false; }
    bool launch(const std::string&, const std::vector<std::string>&) override { return false; }
    void retryStage(RetryStage, const std::string&) override {}
    double today() override { return 0; }
    std::chrono::steady_clock::time_point now() override { return {}; }

    std::map<std::string, std::int64_t> disk{{"a", 1}, {"b", 2}};
    bool readable = true;
    int namesListings = 0;
    int detailedListings = 0;
    ScriptedObserver observer;
};

FolderStamp stampAt(std::int64_t modifiedNs, bool local = true) {
    return FolderStamp{1, 2, modifiedNs, modifiedNs, local};
}

std::vector<std::string> namesOf(RememberedFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : folder.entries())
        names.push_back(entry.name + "=" + std::to_string(entry.size));
    return names;
}

TEST(RememberedFolder, NamesAreListedAgainUnlessTheFolderCertainlyStayedTheSame) {
    struct Case {
        const char* what;
        FolderStamp first;
        std::optional<FolderStamp> second;
        bool listedAgain;
    };
    const FolderStamp settled = stampAt(kNow - 3 * kSecond);
    FolderStamp otherInode = settled;
    otherInode.inode = 3;
    FolderStamp otherChange = settled;
    otherChange.changedNs += 1;
    const Case cases[] = {
        {"unchanged, listed well after its last change", settled, settled, false},
        {"unchanged, but changed just before the listing", stampAt(kNow - kSecond),
         stampAt(kNow - kSecond), true},
        {"on a file system whose times may be stale", stampAt(kNow - 9 * kSecond, false),
         stampAt(kNow - 9 * kSecond, false), true},
        {"modified since", settled, stampAt(kNow - 2 * kSecond), true},
        {"its change time moved on", settled, otherChange, true},
        {"replaced by another folder", settled, otherInode, true},
        {"no longer to be examined", settled, std::nullopt, true},
    };
    for (const Case& c : cases) {
        ScriptedFolder folder;
        RememberedFolder remembered;
        folder.observer.folderStamp = c.first;
        ASSERT_TRUE(remembered.refresh("f", false, folder));
        EXPECT_TRUE(remembered.changed());
        folder.observer.folderStamp = c.second;
        folder.observer.clock += 5 * kSecond;
        folder.disk["c"] = 3; // what a stale memory would miss
        ASSERT_TRUE(remembered.refresh("f", false, folder)) << c.what;
        EXPECT_EQ(folder.namesListings, c.listedAgain ? 2 : 1) << c.what;
        EXPECT_EQ(remembered.changed(), c.listedAgain) << c.what;
        EXPECT_EQ(remembered.entries().size(), c.listedAgain ? 3U : 2U) << c.what;
    }
}

TEST(RememberedFolder, AWatchedFolderExaminesOnlyWhatTheWatchNamesOrCannotSee) {
    struct Case {
        const char* what;
        bool canWatch;
        FolderChanges changes;
        std::map<std::string, std::int64_t> diskAfter;
        int wholeListings; // of the second refresh
        int namesListings;
        std::vector<std::string> examined;
        std::vector<std::string> entries;
        bool changed;
    };
    const std::map<std::string, std::int64_t> before{{"a", 1}, {"b", 2}, {"link", 5}};
    const Case cases[] = {
        {"nothing happened",
         true,
         {false, false, {}},
         before,
         0,
         0,
         {"link"},
         {"a=1", "b=2", "link=5"},
         false},
        {"what a link leads to changed unseen",
         true,
         {false, false, {}},
         {{"a", 1}, {"b", 2}, {"link", 6}},
         0,
         0,
         {"link"},
         {"a=1", "b=2", "link=6"},
         true},
        {"a file was written",
         true,
         {false, false, {"b"}},
         {{"a", 1}, {"b", 9}, {"link", 5}},
         0,
         0,
         {"b", "link"},
         {"a=1", "b=9", "link=5"},
         true},
        {"a file arrived",
         true,
         {false, true, {"c"}},
         {{"a", 1}, {"b", 2}, {"c", 4}, {"link", 5}},
         0,
         1,
         {"c", "link"},
         {"a=1", "b=2", "c=4", "link=5"},
         true},
        {"a file left",
         true,
         {false, true, {"a"}},
         {{"b", 2}, {"link", 5}},
         0,
         1,
         {"link"},
         {"b=2", "link=5"},
         true},
        {"a file left that the watch has yet to tell",
         true,
         {false, false, {"a"}},
         {{"b", 2}, {"link", 5}},
         1,
         0,
         {"a"},
         {"b=2", "link=5"},
         true},
        {"events were lost",
         true,
         {true, false, {}},
         {{"a", 7}, {"b", 2}, {"link", 5}},
         1,
         0,
         {},
         {"a=7", "b=2", "link=5"},
         true},
        {"no watch can be set",
         false,
         {false, false, {}},
         {{"a", 7}, {"b", 2}, {"link", 5}},
         1,
         0,
         {},
         {"a=7", "b=2", "link=5"},
         true},
    };
    for (const Case& c : cases) {
        ScriptedFolder folder;
        folder.disk = before;
        folder.observer.canWatch = c.canWatch;
        folder.observer.folderStamp = stampAt(kNow);
        RememberedFolder remembered;
        ASSERT_TRUE(remembered.refresh("f", true, folder));
        folder.disk = c.diskAfter;
        folder.observer.changes = c.changes;
        folder.observer.examined.clear();
        ASSERT_TRUE(remembered.refresh("f", true, folder)) << c.what;
        EXPECT_EQ(folder.detailedListings - 1, c.wholeListings) << c.what;
        EXPECT_EQ(folder.namesListings, c.namesListings) << c.what;
        std::sort(folder.observer.examined.begin(), folder.observer.examined.end());
        EXPECT_EQ(folder.observer.examined, c.examined) << c.what;
        EXPECT_EQ(namesOf(remembered), c.entries) << c.what;
        EXPECT_EQ(remembered.changed(), c.changed) << c.what;
    }
}

TEST(RememberedFolder, AFolderThatCannotBeListedIsForgotten) {
    for (const bool withDetails : {false, true}) {
        ScriptedFolder folder;
        folder.observer.folderStamp = stampAt(kNow - 9 * kSecond);
        RememberedFolder remembered;
        ASSERT_TRUE(remembered.refresh("f", withDetails, folder));
        folder.readable = false;
        folder.observer.folderStamp = std::nullopt;
        EXPECT_FALSE(remembered.refresh("f", withDetails, folder));
        EXPECT_TRUE(remembered.entries().empty());
        folder.readable = true;
        folder.observer.folderStamp = stampAt(kNow - 9 * kSecond);
        ASSERT_TRUE(remembered.refresh("f", withDetails, folder));
        EXPECT_TRUE(remembered.changed()) << "listed whole again";
        EXPECT_EQ(remembered.entries().size(), 2U);
    }
}

TEST(RememberedFolder, GivesItsWatchBackWhenDoneWithIt) {
    struct Case {
        const char* what;
        std::function<void(RememberedFolder&, ScriptedFolder&)> then;
    };
    const Case cases[] = {
        {"it is dropped", [](auto&, auto&) {}},
        {"it is replaced by another",
         [](auto& remembered, auto&) { remembered = RememberedFolder{}; }},
        {"it is moved elsewhere",
         [](auto& remembered, auto&) {
             RememberedFolder moved(std::move(remembered));
             RememberedFolder again;
             again = std::move(moved);
         }},
        {"its rules no longer read details",
         [](auto& remembered, auto& folder) { remembered.refresh("f", false, folder); }},
        {"another folder is watched instead",
         [](auto& remembered, auto& folder) {
             remembered.refresh("g", true, folder);
             remembered.refresh("f", false, folder);
         }},
    };
    for (const Case& c : cases) {
        ScriptedFolder folder;
        folder.observer.folderStamp = stampAt(kNow);
        {
            RememberedFolder remembered;
            ASSERT_TRUE(remembered.refresh("f", true, folder));
            EXPECT_EQ(folder.observer.watching, 1) << c.what;
            c.then(remembered, folder);
        }
        EXPECT_EQ(folder.observer.watching, 0) << c.what;
    }
}

// A folder that shrank for good gives back the room its largest listing took, in what is
// remembered of it and in its known files, so that the memory can go back to the system.
TEST(RememberedFolder, AFolderThatShrankGivesBackItsRoom) {
    constexpr std::size_t kSmall = 2000; // far below the room of 20,000 entries
    const auto fill = [](ScriptedFolder& folder) {
        folder.disk.clear();
        for (int i = 0; i < 20000; ++i)
            folder.disk["file" + std::to_string(i)] = i;
    };
    const auto shrink = [](ScriptedFolder& folder) {
        folder.disk = {{"a", 1}, {"b", 2}};
        folder.observer.clock += 5 * kSecond;
        folder.observer.folderStamp = stampAt(folder.observer.clock - 3 * kSecond);
    };
    for (const bool withDetails : {false, true}) {
        ScriptedFolder folder;
        fill(folder);
        folder.observer.folderStamp = stampAt(kNow - 3 * kSecond);
        RememberedFolder remembered;
        ASSERT_TRUE(remembered.refresh("f", withDetails, folder));
        shrink(folder);
        folder.observer.changes = FolderChanges{false, true, {}}; // names went: read them again
        ASSERT_TRUE(remembered.refresh("f", withDetails, folder));
        EXPECT_EQ(remembered.entries().size(), 2u) << withDetails;
        EXPECT_LT(remembered.entries().capacity(), kSmall) << withDetails;
    }

    ScriptedFolder folder;
    fill(folder);
    ServiceTable table;
    rServiceRules service;
    service.serviceid = kOtherService;
    service.enabled = true;
    service.sharedir = "f";
    table.services = {service};
    runMonitorCycle(table, true, {}, folder);
    ASSERT_EQ(table.services[0].knownfiles.size(), 20000u);
    shrink(folder);
    runMonitorCycle(table, false, {}, folder);
    EXPECT_EQ(table.services[0].knownfiles.size(), 2u);
    EXPECT_LT(table.services[0].knownfiles.capacity(), kSmall);
}

} // namespace
} // namespace lp
