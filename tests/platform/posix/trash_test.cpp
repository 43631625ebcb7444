// The trash on real folders: hostile names go in with records that bring them back byte for byte,
// every refusal leaves the file where it was and nothing in the trash, and no call waits for a
// desktop service.

#include "platform/folder_listing.h"
#include "platform/trash.h"
#include "support/posix/private_mounts.h"
#include "support/posix/without_permission_override.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace lp {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// An error's number, 0 for none, whatever its category.
int reason(std::error_code error) {
    return error ? error.value() : 0;
}
int reason(std::errc error) {
    return static_cast<int>(error);
}

bool emptyOrMissing(const fs::path& folder) {
    return !fs::is_directory(folder) || fs::is_empty(folder);
}

// The original path a record names, decoded as a trash tool decodes it.
std::string recordedPath(const fs::path& record) {
    const std::string text = contentOf(record);
    const auto start = text.find("\nPath=");
    if (text.rfind("[Trash Info]\n", 0) != 0 || start == std::string::npos)
        return "<no record: " + text + ">";
    std::string path;
    for (auto i = start + 6; i < text.size() && text[i] != '\n'; ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            path += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += text[i];
        }
    }
    return path;
}

// One throwaway home for the whole program, since GLib reads the home and data folders once per
// process; with a session bus address that only this test listens at, and the portal asked for,
// so that any call to a desktop service shows.
class TrashHome {
public:
    static TrashHome& get() {
        static TrashHome home;
        return home;
    }
    fs::path root;
    fs::path trash() const { return root / "data/Trash"; }
    // Whether some call connected to the session bus since the start.
    bool busCalled() const { return connections_ > 0; }

private:
    TrashHome() {
        char pattern[] = "/tmp/larchpost-trash-XXXXXX";
        root = ::mkdtemp(pattern);
        bus_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string busPath = (root / "bus").string();
        busPath.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(bus_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::listen(bus_, 8);
        // Each caller is counted and hung up on at once, so that a call fails rather than waits.
        std::thread([this] {
            for (int connection; (connection = ::accept(bus_, nullptr, nullptr)) >= 0;) {
                ++connections_;
                ::close(connection);
            }
        }).detach();
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + busPath).c_str(), 1);
        ::setenv("GTK_USE_PORTAL", "1", 1);
        const test::ScopedVariable home("HOME", root.c_str());
        const test::ScopedVariable data("XDG_DATA_HOME", (root / "data").c_str());
        platform::PrepareTrash();
        platform::ForeseeTrashRefusal((root / "x").string()); // GLib reads both folders now
        // Where a trashing went to the bus, the next would wait for good (GLib 2.74 then waits
        // on its own failed start): the tests fail at once instead. Otherwise one trashing before
        // them tells.
        if (busCalled())
            return;
        std::ofstream(root / "first.del") << "first";
        platform::MoveToTrash((root / "first.del").string());
        fs::remove_all(root / "data/Trash");
    }
    ~TrashHome() {
        ::shutdown(bus_, SHUT_RDWR);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    int bus_ = -1;
    std::atomic<int> connections_{0};
};

class Trash : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(home.busCalled()) << "a trashing went to the session bus";
        fs::remove_all(home.trash());
        fs::remove_all(in);
        fs::create_directories(in);
    }
    void TearDown() override { EXPECT_FALSE(home.busCalled()) << "a call went to the session bus"; }
    // The records in the trash's info folder, by name.
    std::set<std::string> records() const {
        std::set<std::string> names;
        if (fs::exists(home.trash() / "info"))
            for (const auto& entry : fs::directory_iterator(home.trash() / "info"))
                names.insert(entry.path().filename().string());
        return names;
    }

    TrashHome& home = TrashHome::get();
    fs::path in = home.root / "in";
};

TEST_F(Trash, HostileNamesGoInWithRecordsThatNameThemByteForByte) {
    const std::string cjk = [] {
        std::string name;
        for (int i = 0; i < 82; ++i)
            name += "\xe6\xbc\xa2"; // 漢: 82 of them and ".del" are 250 bytes
        return name + ".del";
    }();
    struct Case {
        std::string name;
        std::errc refused; // std::errc{} where it goes in
    };
    const Case cases[] = {
        {"plain.del", {}},
        {"report%20final.del", {}},
        {"a%2Fb.del", {}},
        {"line\nbreak.del", {}},
        {"photo\xff.del", {}},
        {"tab\tand space, #hash;semi=eq&q?.del", {}},
        {"back\\slash 'quoted' \"double\".del", {}},
        {"\xc3\xbcml\xc3\xa4ut.del", {}},
        {std::string(234, 'n') + ".del", {}}, // 238 bytes: the longest GIO can record
        {std::string(235, 'n') + ".del", std::errc::filename_too_long},
        {cjk, std::errc::filename_too_long},
        {std::string(251, 'n') + ".del", std::errc::filename_too_long}, // 255 bytes
    };
    // The name a lossy conversion would turn "photo\xff.del" into: it must stay.
    write(in / "photo\xef\xbf\xbd.del", "keep me");
    for (const Case& c : cases) {
        const fs::path file = in / c.name;
        write(file, "content of " + c.name);
        const auto before = records();
        EXPECT_EQ(reason(platform::ForeseeTrashRefusal(file.string())), reason(c.refused))
            << c.name;
        EXPECT_EQ(reason(platform::MoveToTrash(file.string())), reason(c.refused)) << c.name;
        if (c.refused != std::errc{}) {
            EXPECT_EQ(contentOf(file), "content of " + c.name) << "the file stays: " << c.name;
            EXPECT_EQ(records(), before) << "no record is left: " << c.name;
            continue;
        }
        EXPECT_FALSE(fs::exists(fs::symlink_status(file))) << c.name;
        const std::string record = c.name + ".trashinfo";
        ASSERT_EQ(records().count(record), 1u) << c.name;
        EXPECT_EQ(recordedPath(home.trash() / "info" / record), file.string()) << c.name;
        EXPECT_EQ(contentOf(home.trash() / "files" / c.name), "content of " + c.name) << c.name;
    }
    EXPECT_EQ(contentOf(in / "photo\xef\xbf\xbd.del"), "keep me");
}

// Every record in the trash is one trash-cli lists, and it restores each file to its old path.
// (trash-cli 0.17 decodes a record's path as UTF-8, so it cannot restore a name that is not; the
// records themselves hold those names byte for byte, as the table above shows.)
TEST_F(Trash, TrashCliListsAndRestoresEveryName) {
    if (std::system("command -v trash-restore > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "trash-cli is not installed";
    const std::vector<std::string> names = {"report%20final.del", "a%2Fb.del", "line\nbreak.del",
                                            std::string(234, 'n') + ".del"};
    for (const std::string& name : names) {
        write(in / name, name);
        ASSERT_FALSE(platform::MoveToTrash((in / name).string())) << name;
    }
    const std::string environment = "HOME='" + home.root.string() + "' XDG_DATA_HOME='" +
                                    home.trash().parent_path().string() + "' ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        // trash-restore asks which entry to restore; entry 0 each time, until none is left.
        const std::string restore = "cd '" + in.string() + "' && echo 0 | " + environment +
                                    "trash-restore > /dev/null 2>&1";
        EXPECT_EQ(std::system(restore.c_str()), 0);
    }
    for (const std::string& name : names)
        EXPECT_EQ(contentOf(in / name), name) << "restored under its own name: " << name;
    EXPECT_TRUE(records().empty());
    EXPECT_FALSE(fs::exists(in / "a") || fs::exists(in / "report final.del"));
}

TEST_F(Trash, LinksGoThemselvesAndFoldersAndMissingFilesAreRefused) {
    write(home.root / "target", "kept");
    fs::create_symlink(home.root / "target", in / "link");
    fs::create_symlink(home.root / "gone", in / "dangling");
    fs::create_directories(in / "folder");
    struct Case {
        const char* name;
        std::errc reason;
    };
    for (const Case c :
         {Case{"link", {}}, Case{"dangling", {}}, Case{"folder", std::errc::is_a_directory},
          Case{"none", std::errc::no_such_file_or_directory}})
        EXPECT_EQ(reason(platform::MoveToTrash((in / c.name).string())), reason(c.reason))
            << c.name;
    EXPECT_TRUE(fs::is_symlink(home.trash() / "files/link"));
    EXPECT_TRUE(fs::is_symlink(home.trash() / "files/dangling"));
    EXPECT_EQ(recordedPath(home.trash() / "info/dangling.trashinfo"), (in / "dangling").string());
    EXPECT_TRUE(fs::is_directory(in / "folder"));
    EXPECT_EQ(contentOf(home.root / "target"), "kept");
}

// The very file named goes, reached by whatever path: "sub/.." is taken as the system takes it,
// not by its letters.
TEST_F(Trash, APathThroughALinkAndDotDotTrashesTheFileItReaches) {
    fs::create_directories(home.root / "elsewhere/deeper");
    fs::create_symlink(home.root / "elsewhere/deeper", in / "hop");
    write(home.root / "elsewhere/a.del", "reached");
    write(in / "a.del", "named by the letters only");
    ASSERT_FALSE(platform::MoveToTrash((in / "hop/../a.del").string()));
    EXPECT_EQ(contentOf(in / "a.del"), "named by the letters only");
    EXPECT_FALSE(fs::exists(home.root / "elsewhere/a.del"));
    EXPECT_EQ(recordedPath(home.trash() / "info/a.del.trashinfo"),
              (home.root / "elsewhere/a.del").string());
}

// GIO gives a second file of a name already in the trash a longer name, and does not notice when
// its record then cannot be written: such a file comes back and the trashing fails.
TEST_F(Trash, ARecordThatCouldNotBeWrittenSendsTheFileBack) {
    const std::string name = std::string(234, 'n') + ".del";
    write(in / name, "first");
    ASSERT_FALSE(platform::MoveToTrash((in / name).string()));
    write(in / name, "second");
    const auto before = records();
    EXPECT_TRUE(platform::MoveToTrash((in / name).string()));
    EXPECT_EQ(contentOf(in / name), "second");
    EXPECT_EQ(records(), before);
    EXPECT_EQ(fs::file_size(home.trash() / "files" / name), 5u);
    // A short name twice is no trouble: the second gets a record of its own.
    write(in / "twice.del", "1");
    ASSERT_FALSE(platform::MoveToTrash((in / "twice.del").string()));
    write(in / "twice.del", "2");
    ASSERT_FALSE(platform::MoveToTrash((in / "twice.del").string()));
    int named = 0;
    for (const std::string& record : records())
        named += recordedPath(home.trash() / "info" / record) == (in / "twice.del").string();
    EXPECT_EQ(named, 2);
}

// A trash that cannot take the file: the file stays and nothing is left in the trash, and the
// reason is the one foreseen.
TEST_F(Trash, ATrashThatCannotTakeTheFileLeavesItWhereItIs) {
    struct Case {
        const char* what;
        std::function<void()> setUp;
        std::errc reason;
        bool needsNoOverride;
    };
    const fs::path trash = home.trash();
    const Case cases[] = {
        {"the trash is a file", [&] { write(trash, ""); }, std::errc::not_a_directory, false},
        {"info may not be written",
         [&] {
             fs::create_directories(trash / "info");
             fs::create_directories(trash / "files");
             fs::permissions(trash / "info", fs::perms::owner_read | fs::perms::owner_exec);
         },
         std::errc::permission_denied, true},
        {"files may not be written",
         [&] {
             fs::create_directories(trash / "info");
             fs::create_directories(trash / "files");
             fs::permissions(trash / "files", fs::perms::owner_read | fs::perms::owner_exec);
         },
         std::errc::permission_denied, true},
    };
    for (const Case& c : cases) {
        fs::remove_all(trash);
        c.setUp();
        const std::string file = (in / "a.del").string();
        write(file, "a");
        const auto move = [&] {
            return static_cast<long long>(platform::MoveToTrash(file).value());
        };
        std::optional<long long> got;
        if (c.needsNoOverride && ::geteuid() == 0)
            got = test::runWithoutPermissionOverride(move);
        else
            got = move();
        ASSERT_TRUE(got) << c.what;
        EXPECT_EQ(*got, static_cast<long long>(c.reason)) << c.what;
        EXPECT_EQ(contentOf(file), "a") << c.what;
        EXPECT_TRUE(emptyOrMissing(trash / "files")) << c.what;
        EXPECT_TRUE(emptyOrMissing(trash / "info")) << c.what;
        if (fs::is_directory(trash))
            fs::permissions(trash / "info", fs::perms::owner_all);
        if (fs::is_directory(trash))
            fs::permissions(trash / "files", fs::perms::owner_all);
    }
}

// A file on another drive goes to that drive's own trash, at its top, named relative to it; a
// drive whose trash is someone else's keeps the file where it is. (GIO keeps trash off tmpfs, a
// system's file system, so the drive is a ramfs.)
TEST_F(Trash, AnotherDrivesFileGoesToThatDrivesTrashOrStays) {
    const fs::path drive = home.root / "drive";
    fs::create_directories(drive);
    const test::ScopedMount mount("ramfs", drive.string(), "ramfs", 0);
    if (!mount.mounted())
        GTEST_SKIP() << "mounting needs the right to (run as root)";
    const std::string own = ".Trash-" + std::to_string(::geteuid());
    fs::create_directories(drive / "in");
    write(drive / "in/a%20b.del", "a");
    ASSERT_EQ(reason(platform::MoveToTrash((drive / "in/a%20b.del").string())), 0);
    EXPECT_EQ(recordedPath(drive / own / "info/a%20b.del.trashinfo"), "in/a%20b.del");
    EXPECT_EQ(contentOf(drive / own / "files/a%20b.del"), "a");

    // The drive's trash is someone else's: it is not used, nor is the home trash.
    fs::remove_all(drive / own);
    fs::create_directories(drive / own);
    ASSERT_EQ(::chown((drive / own).c_str(), ::geteuid() + 1, ::getegid()), 0);
    write(drive / "in/b.del", "b");
    EXPECT_EQ(reason(platform::ForeseeTrashRefusal((drive / "in/b.del").string())),
              reason(std::errc::operation_not_supported));
    EXPECT_EQ(reason(platform::MoveToTrash((drive / "in/b.del").string())),
              reason(std::errc::operation_not_supported));
    EXPECT_EQ(contentOf(drive / "in/b.del"), "b");
    EXPECT_FALSE(fs::exists(home.trash() / "files/b.del"));
}

// A full drive: the record has no room, so the file is not moved at all, and nothing is left in
// the trash. (A small ext2 image, since a ramfs cannot fill and GIO keeps trash off tmpfs.)
TEST_F(Trash, AFullDriveKeepsTheFileAndLeavesNoRecord) {
    const fs::path drive = home.root / "small";
    fs::create_directories(drive);
    const std::string image = (home.root / "small.img").string();
    if (!test::privateMountsPermitted() ||
        std::system(("truncate -s 1M '" + image + "' && mkfs.ext2 -q -F '" + image +
                     "' > /dev/null 2>&1 && mount -o loop '" + image + "' '" + drive.string() +
                     "' 2> /dev/null")
                        .c_str()) != 0)
        GTEST_SKIP() << "needs mkfs.ext2 and the right to mount a loop device (run as root)";
    const std::string own = ".Trash-" + std::to_string(::geteuid());
    fs::create_directories(drive / "in");
    write(drive / "in/b.del", "b");
    {
        std::ofstream filler(drive / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            ;
    }
    for (int i = 0; i < 10000 && ::mkdir((drive / ("d" + std::to_string(i))).c_str(), 0700) == 0;
         ++i)
        ; // the last blocks, as folders
    EXPECT_EQ(reason(platform::ForeseeTrashRefusal((drive / "in/b.del").string())),
              reason(std::errc::no_space_on_device));
    EXPECT_EQ(reason(platform::MoveToTrash((drive / "in/b.del").string())),
              reason(std::errc::no_space_on_device));
    EXPECT_EQ(contentOf(drive / "in/b.del"), "b");
    EXPECT_TRUE(emptyOrMissing(drive / own / "info"));
    EXPECT_TRUE(emptyOrMissing(drive / own / "files"));
    ::umount2(drive.c_str(), MNT_DETACH);
}

// A drive's trash at the top of a watched folder is none of its entries, in either listing; a
// folder of that name elsewhere is the user's own.
TEST_F(Trash, ADrivesTrashIsNoEntryOfTheFolderAtItsTop) {
    const fs::path drive = home.root / "drive";
    fs::create_directories(drive);
    const test::ScopedMount mount("ramfs", drive.string(), "ramfs", 0);
    if (!mount.mounted())
        GTEST_SKIP() << "mounting needs the right to (run as root)";
    for (const char* name : {".Trash", ".Trash-1000", ".Trash-"})
        fs::create_directories(drive / name);
    fs::create_directories(drive / "in/.Trash-1000");
    write(drive / ".Trash-7", ""); // a file, not a trash
    write(drive / "song.mp3", "");
    write(drive / "in/a.del", "");
    ASSERT_EQ(reason(platform::MoveToTrash((drive / "in/a.del").string())),
              0); // makes .Trash-<uid>
    std::vector<std::string> names;
    ASSERT_TRUE(platform::ListNamesInto(drive.string(), names));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{".Trash-", ".Trash-7", "in", "song.mp3"}));
    std::vector<platform::FolderEntry> entries;
    ASSERT_TRUE(platform::ListFolderInto(drive.string(), true, entries));
    EXPECT_EQ(entries.size(), 4u);
    ASSERT_TRUE(platform::ListNamesInto((drive / "in").string(), names));
    EXPECT_EQ(names, std::vector<std::string>{".Trash-1000"});
}

} // namespace
} // namespace lp
