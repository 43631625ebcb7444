// Where the walk through a watched folder's sub-folders goes, and what a cycle and an undo do
// with a file of a sub-folder, on real folders.

#include "engine/folder_tree.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "engine/undo.h"
#include "globals/quoted_value.h"
#include "globals/temp_folder.h"
#include "platform/file_identity.h"
#include "private_mounts.h"
#include "support/captured_log.h"
#include "support/rule_action.h"
#include "support/write_time.h"
#include "without_permission_override.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace lp {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> sortedNames(const std::vector<platform::FolderEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const auto& entry : entries)
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
}

// A watched folder "top" holding x.pdf, a/y.pdf and a/b/z.pdf, and a folder beside it.
struct Tree {
    Tree() {
        fs::create_directories(top / "a" / "b");
        fs::create_directories(elsewhere);
        test::writeBytes((top / "x.pdf").string(), "x");
        test::writeBytes((top / "a" / "y.pdf").string(), "y");
        test::writeBytes((top / "a" / "b" / "z.pdf").string(), "z");
        test::writeBytes((elsewhere / "outside.pdf").string(), "o");
    }

    // The whole tree watched, with one rule on trigger doing actions.
    ServiceTable oneRule(std::uint8_t trigger, std::vector<ruleactionrec> actions) const {
        RuleRec rule;
        rule.enabled = true;
        rule.mcond = trigger;
        rule.actioncnt = static_cast<std::int32_t>(actions.size());
        rule.actions = std::move(actions);
        rServiceRules service;
        service.enabled = true;
        service.sharedir = top.string();
        service.subfolders = 32;
        service.rulelist = {1, {rule}};
        ServiceTable table;
        table.services = {service};
        return table;
    }

    // Folders of 200-byte names under top/deep, one in another, until the path of the last
    // (tooDeep, below top) is longer than the system examines a file by, with a file in it. Made
    // and taken away from folders held open, as their paths are too long.
    void makeTooDeep() {
        const std::string name(200, 'L');
        std::string path = "deep";
        fs::create_directory(top / path);
        int folder = ::open((top / path).c_str(), O_DIRECTORY | O_RDONLY);
        for (int level = 0; (top.string() + "/" + path).size() < PATH_MAX; ++level) {
            ::mkdirat(folder, name.c_str(), 0755);
            const int inner = ::openat(folder, name.c_str(), O_DIRECTORY | O_RDONLY);
            ::close(folder);
            folder = inner;
            path += "/" + name;
            if (level == 9)
                halfWay = path;
        }
        ::close(::openat(folder, "deep.pdf", O_CREAT | O_WRONLY, 0644));
        ::close(folder);
        tooDeep = path;
    }

    ~Tree() {
        // Halved, the too deep folders can be removed by their paths.
        if (!halfWay.empty())
            fs::rename(top / halfWay, temp.path() / "half");
    }

    test::TempFolder temp;
    fs::path top = temp.path() / "top";
    fs::path elsewhere = temp.path() / "elsewhere";
    SystemEnvironment environment;
    std::unique_ptr<test::ScopedMount> mount;
    std::string tooDeep;
    std::string halfWay;
};

TEST(TreeWalk, GoesIntoTheTreesOwnFoldersOnly) {
    struct Case {
        const char* what;
        std::function<bool(Tree&)> make; // false when this machine cannot make the case
        std::int32_t levels;
        std::vector<std::string> leftOut;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"every level", [](auto&) { return true; }, 32, {}, {"a/b/z.pdf", "a/y.pdf", "x.pdf"}},
        {"one level", [](auto&) { return true; }, 1, {}, {"a/b", "a/y.pdf", "x.pdf"}},
        {"none", [](auto&) { return true; }, 0, {}, {"a", "x.pdf"}},
        {"a link to a folder is an entry, never walked into",
         [](auto& t) {
             fs::create_directory_symlink(t.elsewhere, t.top / "link");
             return true;
         },
         32,
         {},
         {"a/b/z.pdf", "a/y.pdf", "link", "x.pdf"}},
        {"a destination inside the tree is left out, and no entry a rule could fail on",
         [](auto&) { return true; },
         32,
         {"a/b"},
         {"a/y.pdf", "x.pdf"}},
        {"another file system mounted inside is neither entered nor an entry",
         [](auto& t) {
             fs::create_directory(t.top / "mnt");
             t.mount = std::make_unique<test::ScopedMount>("none", (t.top / "mnt").string(),
                                                           "tmpfs", 0UL);
             if (t.mount->mounted())
                 test::writeBytes((t.top / "mnt" / "m.pdf").string(), "m");
             return t.mount->mounted();
         },
         32,
         {},
         {"a/b/z.pdf", "a/y.pdf", "x.pdf"}},
        {"a folder of the same file system mounted inside is neither entered nor an entry",
         [](auto& t) {
             fs::create_directory(t.top / "bound");
             t.mount = std::make_unique<test::ScopedMount>(
                 t.elsewhere.string(), (t.top / "bound").string(), nullptr, MS_BIND);
             return t.mount->mounted();
         },
         32,
         {},
         {"a/b/z.pdf", "a/y.pdf", "x.pdf"}},
        {"a folder too deep to be examined by its path cannot be listed, and is no entry",
         [](auto& t) {
             t.makeTooDeep();
             return true;
         },
         32,
         {},
         {"a/b/z.pdf", "a/y.pdf", "x.pdf"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree t;
        if (!c.make(t)) {
            std::cout << "not checked here (no mounts allowed): " << c.what << "\n";
            continue;
        }
        std::vector<platform::FolderEntry> entries;
        std::vector<std::string> unlisted;
        const TreeReach reach{t.top.string(), c.levels, c.leftOut, {}};
        ASSERT_TRUE(ListTree(reach, t.environment, entries, unlisted));
        EXPECT_EQ(sortedNames(entries), c.names);
        const std::vector<std::string> cannotBeListed =
            t.tooDeep.empty() ? std::vector<std::string>{} : std::vector{t.tooDeep};
        EXPECT_EQ(unlisted, cannotBeListed);
        // The remembered tree, watched, gives the same entries in the same order.
        RememberedTree remembered;
        ASSERT_TRUE(remembered.refresh(reach, t.environment, unlisted));
        EXPECT_EQ(unlisted, cannotBeListed);
        std::vector<std::string> walked, remembers;
        for (const auto& entry : entries)
            walked.push_back(entry.name);
        for (const auto& entry : remembered.entries())
            remembers.push_back(entry.name);
        EXPECT_EQ(remembers, walked);
    }
}

TEST(TreeWalk, ADestinationInsideTheTreeIsFoundWhicheverWayItIsSpelt) {
    const Tree t;
    const fs::path& top = t.top;
    const fs::path& elsewhere = t.elsewhere;
    rServiceRules service;
    service.sharedir = top.string() + "/";
    service.subfolders = 4;
    RuleRec rule;
    rule.actions = {test::MoveTo(top.string() + "/a/./b/"), test::CopyTo(top.string() + "/a/../c"),
                    test::MoveTo(elsewhere.string()), test::MoveTo(top.string())};
    rule.actioncnt = 4;
    service.rulelist = {1, {rule}};
    EXPECT_EQ(ReachOf(service).leftOut, (std::vector<std::string>{"a/b", "c"}));
    service.subfolders = 0;
    EXPECT_TRUE(ReachOf(service).leftOut.empty());
}

// The files a destination made from the file may have put in the tree itself are no entries:
// those in folders of its shape, made from their own name and extension (or the name "keep
// both" numbered), any date and any sub-folder. Others in such folders, and the rest of the
// tree, are entries.
TEST(TreeWalk, FilesWhereAMadeDestinationMayHavePutThemAreNoEntries) {
    const struct {
        const char* destination; // below the watched folder
        std::vector<std::string> entries;
    } cases[] = {
        {"{year}/{folder}",
         {"a/2021/q.pdf", "notes/n.txt", "pdf/a/s.pdf", "s/s (2).pdf", "s/s.pdf", "x.pdf"}},
        {"{ext}/{folder}",
         {"2021/a/s.pdf", "a/2021/q.pdf", "notes/n.txt", "s/s (2).pdf", "s/s.pdf", "x.pdf"}},
        {"{name}", {"2021/a/s.pdf", "a/2021/q.pdf", "notes/n.txt", "pdf/a/s.pdf", "x.pdf"}},
        {"{folder}",
         {"2021/a/s.pdf", "a/2021/q.pdf", "notes/n.txt", "pdf/a/s.pdf", "s/s (2).pdf", "s/s.pdf",
          "x.pdf"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.destination);
        test::TempFolder temp;
        const fs::path top = temp.path() / "top";
        for (const char* name : {"x.pdf", "2021/a/s.pdf", "a/2021/q.pdf", "notes/n.txt",
                                 "pdf/a/s.pdf", "s/s.pdf", "s/s (2).pdf"}) {
            fs::create_directories((top / name).parent_path());
            test::writeBytes((top / name).string(), name);
        }
        ruleactionrec action = test::CopyTo(top.string() + "/" + c.destination);
        action.templated = true;
        RuleRec rule;
        rule.actions = {action};
        rule.actioncnt = 1;
        rServiceRules service;
        service.sharedir = top.string();
        service.subfolders = 32;
        service.rulelist = {1, {rule}};
        SystemEnvironment environment;
        std::vector<platform::FolderEntry> entries;
        std::vector<std::string> unlisted;
        const TreeReach reach = ReachOf(service);
        ASSERT_TRUE(ListTree(reach, environment, entries, unlisted));
        EXPECT_EQ(sortedNames(entries), c.entries);
        RememberedTree remembered;
        ASSERT_TRUE(remembered.refresh(reach, environment, unlisted));
        EXPECT_EQ(sortedNames(remembered.entries()), c.entries);
    }
}

// A destination that leads into the tree through a link or a mount is left out as well: its
// files would otherwise be sorted again at every cycle, one folder deeper each time.
TEST(TreeWalk, ADestinationLeadingIntoTheTreeByAnotherPathIsLeftOut) {
    struct Case {
        const char* what;
        // Makes a path that leads to top/a/b; empty when this machine cannot.
        std::function<std::string(Tree&)> lead;
    };
    const Case cases[] = {
        {"through a link",
         [](Tree& t) {
             fs::create_directory_symlink(t.top / "a" / "b", t.elsewhere / "link");
             return (t.elsewhere / "link").string();
         }},
        {"through a bind mount",
         [](Tree& t) {
             fs::create_directory(t.elsewhere / "bound");
             t.mount = std::make_unique<test::ScopedMount>(
                 (t.top / "a").string(), (t.elsewhere / "bound").string(), nullptr, MS_BIND);
             return t.mount->mounted() ? (t.elsewhere / "bound" / "b").string() : std::string();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree t;
        const std::string lead = c.lead(t);
        if (lead.empty()) {
            std::cout << "not checked here (no mounts allowed): " << c.what << "\n";
            continue;
        }
        rServiceRules service;
        service.sharedir = t.top.string();
        service.subfolders = 32;
        RuleRec rule;
        rule.actions = {test::MoveTo(lead)};
        rule.actioncnt = 1;
        service.rulelist = {1, {rule}};
        std::vector<platform::FolderEntry> entries;
        std::vector<std::string> unlisted;
        ASSERT_TRUE(ListTree(ReachOf(service), t.environment, entries, unlisted));
        EXPECT_EQ(sortedNames(entries), (std::vector<std::string>{"a/y.pdf", "x.pdf"}));
    }
}

// A sub-folder swapped for a link to a folder outside the tree once it was listed: the files
// the listing named there are left alone, and so is what the link leads to.
TEST(TreeWalk, ASubFolderSwappedForALinkAfterItsListingIsLeftAlone) {
    class SwappingEnvironment : public SystemEnvironment {
    public:
        explicit SwappingEnvironment(Tree& tree) : tree_(tree) {}
        std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                     bool withDetails) override {
            auto listing = SystemEnvironment::listFolder(folder, withDetails);
            if (fs::is_directory(tree_.top / "a" / "b") &&
                fs::equivalent(folder, tree_.top / "a" / "b")) {
                fs::rename(tree_.top / "a" / "b", tree_.top / "a" / "b.real");
                fs::create_directory_symlink(tree_.elsewhere, tree_.top / "a" / "b");
            }
            return listing;
        }

    private:
        Tree& tree_;
    };
    Tree t;
    test::writeBytes((t.elsewhere / "z.pdf").string(), "outside");
    const fs::path out = t.temp.path() / "out";
    fs::create_directories(out);
    ServiceTable table =
        t.oneRule(FileCount, {test::MoveTo(out.string())}); // every file, at every turn
    SwappingEnvironment swapping(t);
    runMonitorCycle(table, false, {}, swapping);
    EXPECT_EQ(test::readBytes((t.elsewhere / "z.pdf").string()), "outside");
    EXPECT_TRUE(fs::exists(t.top / "a" / "b.real" / "z.pdf"));
    EXPECT_FALSE(fs::exists(out / "z.pdf"));
    EXPECT_TRUE(fs::exists(out / "x.pdf")) << "the files of the tree's own folders are sorted";

    // The sub-folder back in its place: its file, left alone, is tried again and sorted.
    fs::remove(t.top / "a" / "b");
    fs::rename(t.top / "a" / "b.real", t.top / "a" / "b");
    runMonitorCycle(table, false, {}, t.environment);
    EXPECT_TRUE(fs::exists(out / "z.pdf"));
    EXPECT_EQ(test::readBytes((t.elsewhere / "z.pdf").string()), "outside");
}

// A sub-folder swapped for a link to a folder outside the tree after it was seen to be a folder,
// just before it is listed: what the link leads to is never listed as the sub-folder's files,
// whether the tree is listed afresh or remembered, and the sub-folder counts as unlisted.
TEST(TreeWalk, ASubFolderSwappedForALinkBeforeItsListingIsNeverListedThroughIt) {
    class SwappingEnvironment : public SystemEnvironment {
    public:
        explicit SwappingEnvironment(Tree& tree) : tree_(tree) {}
        std::optional<platform::HeldFolder> holdFolder(const std::string& top,
                                                       std::string_view below) override {
            if (below == "a/b" && fs::is_directory(tree_.top / "a" / "b") &&
                !fs::is_symlink(tree_.top / "a" / "b")) {
                fs::rename(tree_.top / "a" / "b", tree_.top / "a" / "b.real");
                fs::create_directory_symlink(tree_.elsewhere, tree_.top / "a" / "b");
            }
            return SystemEnvironment::holdFolder(top, below);
        }

    private:
        Tree& tree_;
    };
    const std::function<bool(SwappingEnvironment&, const TreeReach&,
                             std::vector<platform::FolderEntry>&, std::vector<std::string>&)>
        listings[] = {
            [](auto& environment, const auto& reach, auto& entries, auto& unlisted) {
                return ListTree(reach, environment, entries, unlisted);
            },
            [](auto& environment, const auto& reach, auto& entries, auto& unlisted) {
                RememberedTree tree;
                const bool listed = tree.refresh(reach, environment, unlisted);
                entries = tree.entries();
                return listed;
            },
        };
    for (const auto& list : listings) {
        Tree t;
        SwappingEnvironment swapping(t);
        std::vector<platform::FolderEntry> entries;
        std::vector<std::string> unlisted;
        ASSERT_TRUE(list(swapping, {t.top.string(), 32, {}, {}}, entries, unlisted));
        EXPECT_EQ(sortedNames(entries), (std::vector<std::string>{"a/y.pdf", "x.pdf"}));
        EXPECT_EQ(unlisted, std::vector<std::string>{"a/b"});
    }
}

// The same swap made between the look at the sub-folder and the move itself: the move still
// takes the tree's own file, and under "replace" nothing from outside takes the place of it.
TEST(TreeWalk, ASubFolderSwappedForALinkJustBeforeTheMoveStillGivesItsOwnFile) {
    class SwappingEnvironment : public SystemEnvironment {
    public:
        explicit SwappingEnvironment(Tree& tree) : tree_(tree) {}
        std::optional<std::string> moveFile(const std::string& source,
                                            const std::string& destination,
                                            NameClash clash) override {
            if (fs::path(source).parent_path() == tree_.top / "a" / "b" && !swapped_) {
                fs::rename(tree_.top / "a" / "b", tree_.top / "a" / "b.real");
                fs::create_directory_symlink(tree_.elsewhere, tree_.top / "a" / "b");
                swapped_ = true;
            }
            return SystemEnvironment::moveFile(source, destination, clash);
        }

    private:
        Tree& tree_;
        bool swapped_ = false;
    };
    Tree t;
    test::writeBytes((t.elsewhere / "z.pdf").string(), "outside");
    const fs::path out = t.temp.path() / "out";
    fs::create_directories(out);
    ServiceTable table = t.oneRule(FileCount, {test::MoveTo(out.string())});
    SwappingEnvironment swapping(t);
    runMonitorCycle(table, false, {NameClash::Replace, false}, swapping);
    EXPECT_EQ(test::readBytes((t.elsewhere / "z.pdf").string()), "outside");
    EXPECT_EQ(test::readBytes((out / "z.pdf").string()), "z");
    EXPECT_FALSE(fs::exists(t.top / "a" / "b.real" / "z.pdf"));
}

// A folder made from the file ("out/a/b" for "a/b/z.pdf" under out/{folder}) swapped for a link
// to a folder outside just before the file goes in: nothing is written through the link, and
// under "replace" the outside file of that name stays whole.
TEST(TreeWalk, AMadeFolderSwappedForALinkJustBeforeTheFileGoesInLeadsNowhereElse) {
    class SwappingEnvironment : public SystemEnvironment {
    public:
        SwappingEnvironment(fs::path made, fs::path elsewhere, int swapAt)
            : made_(std::move(made)), elsewhere_(std::move(elsewhere)), swapAt_(swapAt) {}
        std::optional<std::string> moveFile(const std::string& source,
                                            const std::string& destination,
                                            NameClash clash) override {
            swapOnce(destination);
            return SystemEnvironment::moveFile(source, destination, clash);
        }
        std::optional<std::string> copyFile(const std::string& source,
                                            const std::string& destination,
                                            NameClash clash) override {
            swapOnce(destination);
            return SystemEnvironment::copyFile(source, destination, clash);
        }

    private:
        void swapOnce(const std::string& destination) {
            if (swapped_ || fs::path(destination).parent_path() != made_ || ++calls_ < swapAt_)
                return;
            fs::rename(made_, made_.string() + ".real");
            fs::create_directory_symlink(elsewhere_, made_);
            swapped_ = true;
        }
        fs::path made_, elsewhere_;
        int swapAt_, calls_ = 0;
        bool swapped_ = false;
    };
    struct Case {
        const char* what;
        std::uint8_t kind;
        bool thenRename;  // the file is renamed where the move put it
        const char* left; // what stands in the real made folder afterwards
    };
    for (const Case& c : {Case{"move", rMove, false, "z.pdf"}, Case{"copy", rCopy, false, "z.pdf"},
                          Case{"move, then rename", rMove, true, "r-z.pdf"}}) {
        SCOPED_TRACE(c.what);
        Tree t;
        test::writeBytes((t.elsewhere / "z.pdf").string(), "outside");
        const fs::path out = t.temp.path() / "out";
        fs::create_directories(out);
        rServiceRules service;
        service.enabled = true;
        service.sharedir = t.top.string();
        service.subfolders = 32;
        RuleRec rule;
        rule.enabled = true;
        rule.mcond = FileCount;
        ruleactionrec action = test::MoveTo(out.string() + "/{folder}");
        action.raction = c.kind;
        action.raccopy.filepath = action.racmove.filepath;
        action.templated = true;
        rule.actions = {action};
        if (c.thenRename) {
            ruleactionrec rename;
            rename.raction = rRename;
            rename.racrename.newname = "r-{name}.{ext}";
            rule.actions.push_back(rename);
            test::writeBytes((t.elsewhere / "r-z.pdf").string(), "outside");
        }
        rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
        service.rulelist = {1, {rule}};
        ServiceTable table;
        table.services = {service};
        // A rename is swapped under at its own turn, after the move went in.
        SwappingEnvironment swapping(out / "a" / "b", t.elsewhere, c.thenRename ? 2 : 1);
        runMonitorCycle(table, false, {NameClash::Replace, false}, swapping);
        EXPECT_EQ(test::readBytes((t.elsewhere / "z.pdf").string()), "outside");
        EXPECT_EQ(std::distance(fs::directory_iterator(t.elsewhere), fs::directory_iterator()),
                  c.thenRename ? 3 : 2)
            << "outside.pdf, z.pdf (and r-z.pdf), nothing more";
        if (c.thenRename) {
            EXPECT_EQ(test::readBytes((t.elsewhere / "r-z.pdf").string()), "outside");
        }
        EXPECT_EQ(test::readBytes((out / "a" / "b.real" / c.left).string()), "z");
    }
}

TEST(TreeWalk, ASubFolderThatCannotBeListedKeepsItsKnownFiles) {
    Tree t;
    const fs::path& top = t.top;
    SystemEnvironment& environment = t.environment;
    rServiceRules service;
    service.enabled = true;
    service.sharedir = top.string();
    service.subfolders = 32;
    ServiceTable table;
    table.services = {service};
    runMonitorCycle(table, true, {}, environment); // the first cycle: every file is known
    ASSERT_EQ(table.services[0].knowncnt, 3);
    ::chmod((top / "a" / "b").c_str(), 0);
    // Permissions bind root only without its overriding capabilities: the cycle runs in a child
    // that gave them up, and says what it found as bits.
    const auto found = test::runWithoutPermissionOverride([&]() -> long long {
        runMonitorCycle(table, false, {}, environment);
        const rServiceRules& after = table.services[0];
        const bool kept = std::ranges::any_of(
            after.knownfiles, [](const filerec& file) { return file.name == "a/b/z.pdf"; });
        return (kept ? 1 : 0) + (after.knowncnt == 3 ? 2 : 0) +
               (after.unlistedSubfolders == std::vector<std::string>{"a/b"} ? 4 : 0);
    });
    ::chmod((top / "a" / "b").c_str(), 0755);
    if (!found)
        GTEST_SKIP() << "permissions cannot be made to bind here";
    EXPECT_EQ(*found, 1 + 2 + 4);
}

// A sub-folder that stands for a while as no folder of the tree, just after a rule copied a new
// file of it and before the rule's move: the move fails and waits for a retry. Meanwhile the
// sub-folder's files stay known and the retry stays pending; once the folder is back, the retry
// takes the file up at the move, the copy being there already, and the old file is not new.
TEST(TreeWalk, ASubFolderOutOfReachForAWhileKeepsItsFilesAndTheirRetries) {
    class StandingInEnvironment : public SystemEnvironment {
    public:
        StandingInEnvironment(Tree& tree, std::function<bool(Tree&)> standIn)
            : tree_(tree), standIn_(std::move(standIn)) {}
        std::optional<std::string> copyFile(const std::string& source,
                                            const std::string& destination,
                                            NameClash clash) override {
            auto placed = SystemEnvironment::copyFile(source, destination, clash);
            if (!stoodIn_) {
                fs::rename(tree_.top / "a" / "b", away());
                stoodIn_ = standIn_(tree_);
            }
            return placed;
        }
        void standBack() {
            tree_.mount.reset();
            fs::remove(tree_.top / "a" / "b");
            fs::rename(away(), tree_.top / "a" / "b");
            later_ += std::chrono::hours(1);
        }
        std::chrono::steady_clock::time_point now() override {
            return SystemEnvironment::now() + later_;
        }
        fs::path away() const { return tree_.temp.path() / "b.away"; } // out of the tree
        bool stoodIn_ = false;

    private:
        Tree& tree_;
        std::function<bool(Tree&)> standIn_;
        std::chrono::steady_clock::duration later_{};
    };
    struct Case {
        const char* what;
        std::function<bool(Tree&)> standIn; // false when this machine cannot make the case
    };
    const Case cases[] = {
        {"a link",
         [](Tree& t) {
             fs::create_directory_symlink(t.elsewhere, t.top / "a" / "b");
             return true;
         }},
        {"a file system mounted there",
         [](Tree& t) {
             fs::create_directory(t.top / "a" / "b");
             t.mount = std::make_unique<test::ScopedMount>("none", (t.top / "a" / "b").string(),
                                                           "tmpfs", 0UL);
             return t.mount->mounted();
         }},
    };
    for (const Case& c : cases)
        for (const bool remembered : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (remembered ? ", remembered" : ", listed"));
            Tree t;
            const fs::path copies = t.temp.path() / "copies", moved = t.temp.path() / "moved";
            fs::create_directories(copies);
            fs::create_directories(moved);
            ServiceTable table =
                t.oneRule(NewFile, {test::CopyTo(copies.string()), test::MoveTo(moved.string())});
            StandingInEnvironment environment(t, c.standIn);
            CycleMemory memory; // gives its watches back to the environment, so goes first
            CycleMemory* kept = remembered ? &memory : nullptr;
            const SortingPolicy policy{NameClash::KeepBoth, false};
            runMonitorCycle(table, true, policy, environment, kept);
            test::writeBytes((t.top / "a" / "b" / "new.pdf").string(), "new");
            runMonitorCycle(table, false, policy, environment, kept);
            if (!environment.stoodIn_) {
                std::cout << "not checked here (no mounts allowed): " << c.what << "\n";
                fs::rename(environment.away(), t.top / "a" / "b");
                continue;
            }
            ASSERT_TRUE(fs::exists(copies / "new.pdf"));
            ASSERT_FALSE(fs::exists(moved / "new.pdf"));
            runMonitorCycle(table, false, policy, environment, kept);
            const rServiceRules& service = table.services[0];
            EXPECT_EQ(service.unlistedSubfolders, std::vector<std::string>{"a/b"});
            EXPECT_EQ(service.knowncnt, 4);
            EXPECT_FALSE(service.retries.empty());
            environment.standBack();
            runMonitorCycle(table, false, policy, environment, kept);
            EXPECT_EQ(test::readBytes((moved / "new.pdf").string()), "new");
            EXPECT_FALSE(fs::exists(copies / "new (2).pdf")) << "the copy made again";
            EXPECT_TRUE(fs::exists(t.top / "a" / "b" / "z.pdf")) << "an old file taken for new";
            EXPECT_TRUE(service.unlistedSubfolders.empty());
        }
}

// An empty sub-folder the user moves elsewhere, leaving a link to it at its place: the link is no
// new file to be sorted away, by a rule on new files or on every file, and stays so while the tree
// changes around it; the folder is said once, by a name shown safely. Once it is back, its
// arrivals are sorted.
TEST(TreeWalk, AnEmptySubFolderThatALinkStandsForIsNoNewFile) {
    for (const std::string name : {"photos", "line\nbreak"})
        for (const std::uint8_t trigger : {std::uint8_t{NewFile}, std::uint8_t{2}})
            for (const bool remembered : {false, true}) {
                SCOPED_TRACE(name + (trigger == NewFile ? ", new files" : ", every file") +
                             (remembered ? ", remembered" : ", listed"));
                Tree t;
                const fs::path folder = t.top / name, away = t.temp.path() / "away";
                fs::create_directory(folder);
                const fs::path out = t.temp.path() / "out";
                fs::create_directories(out);
                ServiceTable table = t.oneRule(trigger, {test::MoveTo(out.string())});
                CycleMemory memory;
                CycleMemory* kept = remembered ? &memory : nullptr;
                test::CapturedLog log;
                runMonitorCycle(table, true, {}, t.environment, kept);
                fs::rename(folder, away);
                fs::create_directory_symlink(away, folder);
                runMonitorCycle(table, false, {}, t.environment, kept);
                test::writeBytes((t.top / "a" / "later.pdf").string(), "l"); // the tree changes
                runMonitorCycle(table, false, {}, t.environment, kept);
                EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder))) << "the link was sorted";
                EXPECT_FALSE(fs::exists(fs::symlink_status(out / name)));
                EXPECT_EQ(table.services[0].unlistedSubfolders, std::vector<std::string>{name});
                ASSERT_EQ(log.lines.size(), 1u);
                EXPECT_NE(log.lines[0].find(QuoteValue(name)), std::string::npos) << log.lines[0];
                fs::remove(folder);
                fs::rename(away, folder);
                runMonitorCycle(table, false, {}, t.environment, kept);
                test::writeBytes((folder / "new.pdf").string(), "n");
                runMonitorCycle(table, false, {}, t.environment, kept);
                EXPECT_TRUE(fs::exists(out / "new.pdf"));
                EXPECT_TRUE(table.services[0].unlistedSubfolders.empty());
            }
}

// Sub-folders included, more of their levels, or an exclusion removed or narrowed, once the
// folder has been watched for a while: the files this lets into the turn were there before and
// are no new arrivals; only later ones are. The desktop program tells the change at once, so a
// file that arrives before the next turn is new too.
TEST(TreeWalk, SettingsThatLetMoreInLaterBringNoOldFileAsNew) {
    struct Setting {
        std::int32_t levels;
        const char* excluded;
    };
    const struct {
        const char* what;
        std::vector<Setting> settings; // in turn, a cycle each
    } cases[] = {{"sub-folders included", {{0, ""}, {32, ""}}},
                 {"one level, then all", {{32, ""}, {1, ""}, {32, ""}}},
                 {"one level, then two", {{1, ""}, {2, ""}}},
                 {"an exclusion removed", {{32, "*.pdf"}, {32, ""}}},
                 {"an exclusion narrowed", {{32, "*.pdf;a/*"}, {32, "x*"}}}};
    enum class Mode : std::uint8_t { Listed, Remembered, ToldAtOnce };
    for (const auto& c : cases)
        for (const Mode mode : {Mode::Listed, Mode::Remembered, Mode::ToldAtOnce}) {
            SCOPED_TRACE(std::string(c.what) + " " + std::to_string(static_cast<int>(mode)));
            Tree t;
            const fs::path out = t.temp.path() / "out";
            fs::create_directories(out);
            ServiceTable table = t.oneRule(NewFile, {test::MoveTo(out.string())});
            CycleMemory memory;
            CycleMemory* kept = mode == Mode::Listed ? nullptr : &memory;
            bool first = true;
            for (const Setting& setting : c.settings) {
                table.services[0].subfolders = setting.levels;
                table.services[0].excludefiles = setting.excluded;
                if (mode == Mode::ToldAtOnce && !first) {
                    ServiceTable listing = table;
                    listing.services[0].rulelist = {};
                    runMonitorCycle(listing, true, {}, t.environment);
                    KnowFilesLetInNow(table.services[0], listing.services[0]);
                    if (&setting == &c.settings.back())
                        test::writeBytes((t.top / "a" / "b" / "arrived.pdf").string(), "a");
                }
                runMonitorCycle(table, first, {}, t.environment, kept);
                first = false;
            }
            std::vector<std::string> moved;
            for (const auto& entry : fs::directory_iterator(out))
                moved.push_back(entry.path().filename().string());
            EXPECT_EQ(moved, mode == Mode::ToldAtOnce ? std::vector<std::string>{"arrived.pdf"}
                                                      : std::vector<std::string>{})
                << "an old file was taken for a new one, or an arrival for an old one";
            test::writeBytes((t.top / "a" / "b" / "new.pdf").string(), "n");
            runMonitorCycle(table, false, {}, t.environment, kept);
            EXPECT_TRUE(fs::exists(out / "new.pdf")) << "a new file was not";
        }
}

// A sub-folder that cannot be listed when the known files are first taken: once it can be, the
// files it holds are taken to be from before and known, and only those that arrive afterwards
// are new.
TEST(TreeWalk, ASubFolderUnreadableAtTheStartBringsOnlyItsArrivalsAsNew) {
    Tree t;
    const fs::path out = t.temp.path() / "out";
    fs::create_directories(out);
    ServiceTable table = t.oneRule(NewFile, {test::MoveTo(out.string())});
    ::chmod((t.top / "a" / "b").c_str(), 0);
    const auto found = test::runWithoutPermissionOverride([&]() -> long long {
        runMonitorCycle(table, true, {}, t.environment); // a/b cannot be listed
        const bool unlisted =
            table.services[0].unlistedSubfolders == std::vector<std::string>{"a/b"};
        ::chmod((t.top / "a" / "b").c_str(), 0755);
        runMonitorCycle(table, false, {}, t.environment);
        test::writeBytes((t.top / "a" / "b" / "new.pdf").string(), "n");
        runMonitorCycle(table, false, {}, t.environment);
        return (unlisted ? 1 : 0) + (fs::exists(t.top / "a" / "b" / "z.pdf") ? 2 : 0) +
               (fs::exists(out / "new.pdf") ? 4 : 0);
    });
    ::chmod((t.top / "a" / "b").c_str(), 0755);
    if (!found)
        GTEST_SKIP() << "permissions cannot be made to bind here";
    EXPECT_EQ(*found, 1 + 2 + 4);
}

TEST(TreeWalk, AFileMovedOutOfASubFolderKeepsItsNameAndAnUndoPutsItBack) {
    struct Case {
        const char* what;
        std::function<void(Tree&)> meanwhile;
        bool back;
        const char* says = ""; // after the folder named, below the top
    };
    const Case cases[] = {
        {"its sub-folder is still there", [](auto&) {}, true},
        {"its sub-folder is gone", [](auto& t) { fs::remove_all(t.top / "a" / "b"); }, false,
         "a/b, is no longer there"},
        {"a folder on its way is a link now",
         [](auto& t) {
             fs::rename(t.top / "a", t.top / "a.real");
             fs::create_directories(t.elsewhere / "b");
             fs::create_directory_symlink(t.elsewhere, t.top / "a");
         },
         false, "a, is a link or a mount now"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tree t;
        ServiceTable table = t.oneRule(NewFile, {test::MoveTo(t.elsewhere.string())});
        runMonitorCycle(table, true, {}, t.environment);
        const std::string from = (t.top / "a" / "b" / "new.pdf").string();
        const std::string to = (t.elsewhere / "new.pdf").string();
        test::writeBytes(from, "new");
        runMonitorCycle(table, false, {}, t.environment);
        ASSERT_EQ(test::readBytes(to), "new");
        ASSERT_FALSE(fs::exists(from));
        c.meanwhile(t);
        ActivityEntry entry;
        entry.folder = ServiceName(table.services[0]);
        entry.action = "move";
        entry.values = {from, to};
        entry.identity = platform::IdentifyFile(to);
        const UndoResult result = UndoActivity(entry, table);
        EXPECT_EQ(result.done, c.back) << result.message;
        if (!c.back) {
            EXPECT_NE(result.message.find(t.top.string() + "/" + c.says), std::string::npos)
                << result.message;
            EXPECT_FALSE(fs::exists(t.elsewhere / "b" / "new.pdf"));
            EXPECT_EQ(test::readBytes(to), "new");
            continue;
        }
        EXPECT_EQ(test::readBytes(from), "new");
        // Back in its sub-folder, the file is known to the folder that watches it, not new.
        RecordUndoInKnownFiles(table, *result.logged);
        runMonitorCycle(table, false, {}, t.environment);
        EXPECT_TRUE(fs::exists(from));
    }
}

} // namespace
} // namespace lp
