// The system's folder observer on real folders: what its watches report, when they give up, and
// which file systems it trusts.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"
#include "platform/folder_observer.h"
#include "platform/posix/file_system_type.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

void touch(const std::string& path) {
    ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
}

TEST(FolderObserver, AWatchNamesTheEntriesThatChanged) {
    struct Case {
        const char* what;
        std::function<void(const test::TempFolder&)> change;
        bool namesChanged;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"nothing", [](auto&) {}, false, {}},
        {"a file arrived", [](auto& t) { test::writeBytes(t.file("w/new"), "x"); }, true, {"new"}},
        {"a file was written",
         [](auto& t) { test::writeBytes(t.file("w/old"), "longer"); },
         false,
         {"old"}},
        {"a file's times were set", [](auto& t) { touch(t.file("w/old")); }, false, {"old"}},
        {"a file's mode was changed",
         [](auto& t) { fs::permissions(t.file("w/old"), fs::perms::owner_read); },
         false,
         {"old"}},
        {"a file was renamed",
         [](auto& t) { fs::rename(t.file("w/old"), t.file("w/renamed")); },
         true,
         {"old", "renamed"}},
        {"a file was removed", [](auto& t) { fs::remove(t.file("w/old")); }, true, {"old"}},
        {"a sub-folder was made",
         [](auto& t) { fs::create_directory(t.file("w/sub")); },
         true,
         {"sub"}},
        {"a file elsewhere was written",
         [](auto& t) { test::writeBytes(t.file("other"), "x"); },
         false,
         {}},
    };
    for (const Case& c : cases) {
        test::TempFolder temp;
        fs::create_directory(temp.file("w"));
        test::writeBytes(temp.file("w/old"), "x");
        const auto observer = OpenFolderObserver();
        const int watch = observer->watch(temp.file("w"));
        ASSERT_GE(watch, 0) << "this system sets no watch";
        c.change(temp);
        const FolderChanges changes = observer->takeChanges(watch);
        EXPECT_FALSE(changes.everything) << c.what;
        EXPECT_EQ(changes.namesChanged, c.namesChanged) << c.what;
        EXPECT_EQ(sorted(changes.names), c.names) << c.what;
        const FolderChanges again = observer->takeChanges(watch);
        EXPECT_TRUE(!again.everything && again.names.empty()) << c.what << ": taken once";
    }
}

TEST(FolderObserver, AWatchThatCannotVouchForItsFolderSaysEverything) {
    struct Case {
        const char* what;
        std::function<void(const test::TempFolder&)> change;
    };
    const Case cases[] = {
        {"the folder was removed", [](auto& t) { fs::remove_all(t.file("w")); }},
        {"the folder was moved away", [](auto& t) { fs::rename(t.file("w"), t.file("gone")); }},
        {"more events came than the queue holds",
         [](auto& t) {
             std::ifstream limitFile("/proc/sys/fs/inotify/max_queued_events");
             long limit = 16384;
             limitFile >> limit;
             test::writeBytes(t.file("w/a"), "x");
             test::writeBytes(t.file("w/b"), "x");
             // Each setting of the times is an event; two files in turn, so that no event
             // repeats the one before it and is merged with it.
             for (long n = 0; n <= limit + 10; ++n)
                 touch(t.file(n % 2 ? "w/a" : "w/b"));
         }},
    };
    for (const Case& c : cases) {
        test::TempFolder temp;
        fs::create_directory(temp.file("w"));
        const auto observer = OpenFolderObserver();
        const int watch = observer->watch(temp.file("w"));
        ASSERT_GE(watch, 0);
        c.change(temp);
        EXPECT_TRUE(observer->takeChanges(watch).everything) << c.what;
        EXPECT_TRUE(observer->takeChanges(watch).everything) << c.what << ": the watch is gone";
    }
}

TEST(FolderObserver, WatchesOnOneFolderEachSeeEveryChange) {
    test::TempFolder temp;
    const auto observer = OpenFolderObserver();
    const int first = observer->watch(temp.path().string());
    const int second = observer->watch(temp.path().string());
    ASSERT_GE(first, 0);
    ASSERT_NE(first, second);
    test::writeBytes(temp.file("a"), "x");
    EXPECT_EQ(observer->takeChanges(first).names, std::vector<std::string>{"a"});
    observer->unwatch(first);
    test::writeBytes(temp.file("b"), "x");
    EXPECT_EQ(sorted(observer->takeChanges(second).names), (std::vector<std::string>{"a", "b"}));
}

TEST(FolderObserver, StampShowsEveryChangeOfNamesAndTheFolderItself) {
    test::TempFolder temp;
    fs::create_directory(temp.file("w"));
    const auto observer = OpenFolderObserver();
    const std::string folder = temp.file("w");
    const auto first = observer->stamp(folder);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(first->local) << "the temporary folder is on a local file system";
    EXPECT_EQ(observer->stamp(folder), first);
    test::writeBytes(temp.file("w/a"), "x");
    const auto afterArrival = observer->stamp(folder);
    EXPECT_NE(afterArrival, first);
    test::writeBytes(temp.file("w/a"), "written"); // a file's content is not the folder's
    EXPECT_EQ(observer->stamp(folder), afterArrival);
    fs::rename(folder, temp.file("old"));
    fs::create_directory(folder);
    const auto replaced = observer->stamp(folder);
    ASSERT_TRUE(replaced.has_value());
    EXPECT_NE(replaced->inode, first->inode);
    EXPECT_FALSE(observer->stamp(temp.file("w/a")).has_value()) << "not a folder";
    EXPECT_FALSE(observer->stamp(temp.file("missing")).has_value());
}

TEST(FolderObserver, ExaminesEntriesAsAListingDoes) {
    test::TempFolder temp;
    test::writeBytes(temp.file("file"), std::string(5000, 'x'));
    fs::create_directory(temp.file("sub"));
    fs::create_symlink(temp.file("file"), temp.file("link"));
    fs::create_symlink(temp.file("nowhere"), temp.file("dangling"));
    fs::create_hard_link(temp.file("file"), temp.file("second-name"));
    test::writeBytes(temp.file("single"), "x");
    const auto listing = ListFolder(temp.path().string(), true);
    ASSERT_TRUE(listing.has_value());
    const auto observer = OpenFolderObserver();
    for (const FolderEntry& listed : *listing) {
        FolderEntry examined;
        examined.name = listed.name;
        ASSERT_EQ(observer->examine(temp.path().string(), {&examined}), EntryLook::Found);
        EXPECT_EQ(examined.isFolder, listed.isFolder) << listed.name;
        EXPECT_EQ(examined.size, listed.size) << listed.name;
        EXPECT_EQ(examined.date, listed.date) << listed.name;
        EXPECT_EQ(examined.writeInstant, listed.writeInstant) << listed.name;
        EXPECT_EQ(examined.watchable, listed.name == "single") << listed.name;
    }
    FolderEntry gone;
    gone.name = "gone";
    EXPECT_EQ(observer->examine(temp.path().string(), {&gone}), EntryLook::Vanished);
    EXPECT_EQ(observer->examine(temp.file("missing"), {&gone}), EntryLook::Failed);
}

TEST(FolderObserver, OnlyFileSystemsThatKeepTheirOwnTimesAreLocal) {
    struct Case {
        std::int64_t type;
        bool local;
    };
    const Case cases[] = {
        {0xEF53, true},                                                            // ext2/3/4
        {0x01021994, true},                                                        // tmpfs
        {0x9123683E, true},                                                        // btrfs
        {0x58465342, true},                                                        // XFS
        {0x6969, false},                                                           // NFS
        {0xFF534D42, false},                                                       // CIFS
        {static_cast<std::int64_t>(static_cast<std::int32_t>(0xFF534D42)), false}, // sign-extended
        {0xFE534D42, false},                                                       // SMB2
        {0x517B, false},                                                           // SMB
        {0x65735546, false},                                                       // FUSE
        {0x01021997, false},                                                       // 9p
        {0x00C36400, false},                                                       // ceph
        {0x5346414F, false},                                                       // AFS
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsLocalFileSystemType(c.type), c.local) << std::hex << c.type;
}

} // namespace
} // namespace lp::platform
