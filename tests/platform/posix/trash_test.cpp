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

// The longest names: 82 CJK characters and ".del" (250 bytes), and 255 bytes.
std::string longCjkName() {
    std::string name;
    for (int i = 0; i < 82; ++i)
        name += "\xe6\xbc\xa2"; // 漢
    return name + ".del";
}
const std::string kLongestName = std::string(251, 'n') + ".del";

TEST_F(Trash, HostileNamesGoInWithRecordsThatNameThemByteForByte) {
    struct Case {
        std::string name;
        // How many bytes of the name begin its name in the trash: all of it as a rule; for a
        // name too long for its record, the start cut where a character ends, with "-XXXXXX"
        // and the extension after it.
        std::size_t kept;
    };
    const std::size_t all = std::string::npos;
    const Case cases[] = {
        {"plain.del", all},
        {"report%20final.del", all},
        {"a%2Fb.del", all},
        {"line\nbreak.del", all},
        {"photo\xff.del", all},
        {"tab\tand space, #hash;semi=eq&q?.del", all},
        {"back\\slash 'quoted' \"double\".del", all},
        {"\xc3\xbcml\xc3\xa4ut.del", all},
        {std::string(234, 'n') + ".del", all}, // 238 bytes: the longest GIO can record
        {std::string(235, 'n') + ".del", 234},
        {longCjkName(), 234},       // 78 characters
        {"a" + longCjkName(), 232}, // a 78th character would end past byte 234
        {kLongestName, 234},
        // Not UTF-8: cut at a byte. A long extension is only the name's end.
        {"\xff" + std::string(254, 'b'), 238},
        {std::string(200, 'e') + "." + std::string(54, 'x'), 238},
    };
    // The name a lossy conversion would turn "photo\xff.del" into: it must stay.
    write(in / "photo\xef\xbf\xbd.del", "keep me");
    for (const Case& c : cases) {
        const fs::path file = in / c.name;
        write(file, "content of " + c.name);
        const auto before = records();
        EXPECT_EQ(reason(platform::ForeseeTrashRefusal(file.string())), 0) << c.name;
        ASSERT_EQ(reason(platform::MoveToTrash(file.string())), 0) << c.name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(file))) << c.name;
        auto added = records();
        for (const std::string& record : before)
            added.erase(record);
        ASSERT_EQ(added.size(), 1u) << c.name;
        const std::string record = *added.begin();
        EXPECT_EQ(recordedPath(home.trash() / "info" / record), file.string()) << c.name;
        const std::string inTrash = record.substr(0, record.size() - 10);
        EXPECT_EQ(contentOf(home.trash() / "files" / inTrash), "content of " + c.name) << c.name;
        if (c.kept == all) {
            EXPECT_EQ(inTrash, c.name);
            continue;
        }
        EXPECT_LE(record.size(), 255u) << c.name;
        const bool extension = c.name.size() - c.name.rfind('.') <= 16;
        const std::string end = extension ? c.name.substr(c.name.rfind('.')) : "";
        EXPECT_EQ(inTrash.size(), c.kept + 7 + end.size()) << c.name;
        EXPECT_EQ(inTrash.substr(0, c.kept + 1), c.name.substr(0, c.kept) + "-") << c.name;
        EXPECT_EQ(inTrash.substr(c.kept + 7), end) << c.name;
    }
    EXPECT_EQ(contentOf(in / "photo\xef\xbf\xbd.del"), "keep me");
}

// Every record in the trash is one trash-cli lists, and it restores each file to its old path.
// (trash-cli 0.17 decodes a record's path as UTF-8, so it cannot restore a name that is not; the
// records themselves hold those names byte for byte, as the table above shows.)
TEST_F(Trash, TrashCliListsAndRestoresEveryName) {
    if (std::system("command -v trash-restore > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "trash-cli is not installed";
    const std::vector<std::string> names = {"report%20final.del", "a%2Fb.del",
                                            "line\nbreak.del",    std::string(234, 'n') + ".del",
                                            longCjkName(),        kLongestName};
    for (const std::string& name : names) {
        write(in / name, name);
        ASSERT_FALSE(platform::MoveToTrash((in / name).string())) << name;
    }
    const std::string environment = "HOME='" + home.root.string() + "' XDG_DATA_HOME='" +
                                    home.trash().parent_path().string() + "' ";
    // trash-list names each file by its whole original path.
    const std::string listed = (home.root / "listed").string();
    ASSERT_EQ(std::system((environment + "trash-list > '" + listed + "' 2>&1").c_str()), 0);
    const std::string list = contentOf(listed);
    for (const std::string& name : {longCjkName(), kLongestName})
        EXPECT_NE(list.find(" " + (in / name).string() + "\n"), std::string::npos) << list;
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

// GIO gives a second file of a name already in the trash a longer name, which can be too long
// for its record: that file goes in under a short name of its own instead.
TEST_F(Trash, ASecondFileOfALongNameGoesInUnderAShortName) {
    const std::string name = std::string(234, 'n') + ".del";
    write(in / name, "first");
    ASSERT_FALSE(platform::MoveToTrash((in / name).string()));
    write(in / name, "second");
    ASSERT_FALSE(platform::MoveToTrash((in / name).string()));
    EXPECT_FALSE(fs::exists(in / name));
    // A short name twice is no trouble either: the second gets GIO's numbered record.
    write(in / "twice.del", "1");
    ASSERT_FALSE(platform::MoveToTrash((in / "twice.del").string()));
    write(in / "twice.del", "2");
    ASSERT_FALSE(platform::MoveToTrash((in / "twice.del").string()));
    std::multiset<std::string> contents;
    for (const std::string& record : records()) {
        const std::string path = recordedPath(home.trash() / "info" / record);
        if (path == (in / name).string() || path == (in / "twice.del").string())
            contents.insert(
                contentOf(home.trash() / "files" / record.substr(0, record.size() - 10)));
    }
    EXPECT_EQ(contents, (std::multiset<std::string>{"first", "second", "1", "2"}));
    EXPECT_EQ(records().count("twice.2.del.trashinfo"), 1u);
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
        // Found only on moving: the record made first is taken away again.
        {"the file's folder may not be written",
         [&] { fs::permissions(in, fs::perms::owner_read | fs::perms::owner_exec); },
         std::errc::permission_denied, true},
    };
    // A short name goes through GIO, the longest one does not: both keep these promises.
    for (const std::string& name : {std::string("a.del"), kLongestName})
        for (const Case& c : cases) {
            fs::remove_all(trash);
            const std::string file = (in / name).string();
            write(file, "a");
            c.setUp();
            const auto move = [&] {
                return static_cast<long long>(platform::MoveToTrash(file).value());
            };
            std::optional<long long> got;
            if (c.needsNoOverride && ::geteuid() == 0)
                got = test::runWithoutPermissionOverride(move);
            else
                got = move();
            ASSERT_TRUE(got) << c.what << " " << name;
            EXPECT_EQ(*got, static_cast<long long>(c.reason)) << c.what << " " << name;
            EXPECT_EQ(contentOf(file), "a") << c.what << " " << name;
            EXPECT_TRUE(emptyOrMissing(trash / "files")) << c.what << " " << name;
            EXPECT_TRUE(emptyOrMissing(trash / "info")) << c.what << " " << name;
            if (fs::is_directory(trash))
                fs::permissions(trash / "info", fs::perms::owner_all);
            if (fs::is_directory(trash))
                fs::permissions(trash / "files", fs::perms::owner_all);
            fs::permissions(in, fs::perms::owner_all);
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
        GTEST_SKIP() << "mounting needs the right to mount (run as root)";
    const std::string own = ".Trash-" + std::to_string(::geteuid());
    fs::create_directories(drive / "in");
    write(drive / "in/a%20b.del", "a");
    ASSERT_EQ(reason(platform::MoveToTrash((drive / "in/a%20b.del").string())), 0);
    EXPECT_EQ(recordedPath(drive / own / "info/a%20b.del.trashinfo"), "in/a%20b.del");
    EXPECT_EQ(contentOf(drive / own / "files/a%20b.del"), "a");
    // A name too long for its record goes in too, named relative to the drive's top, and
    // trash-restore finds it in the drive's trash and puts it back.
    write(drive / "in" / kLongestName, "long");
    ASSERT_EQ(reason(platform::MoveToTrash((drive / "in" / kLongestName).string())), 0);
    ASSERT_EQ(std::distance(fs::directory_iterator(drive / own / "info"), {}), 2);
    for (const auto& record : fs::directory_iterator(drive / own / "info"))
        if (record.path().filename() != "a%20b.del.trashinfo") {
            EXPECT_EQ(recordedPath(record.path()), "in/" + kLongestName);
        }
    if (std::system("command -v trash-restore > /dev/null 2>&1") == 0) {
        const std::string restore = "cd '" + (drive / "in").string() + "' && echo 0 | HOME='" +
                                    home.root.string() + "' trash-restore > /dev/null 2>&1";
        EXPECT_EQ(std::system(restore.c_str()), 0);
        EXPECT_EQ(contentOf(drive / "in" / kLongestName), "long");
    }

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
    write(drive / "in" / kLongestName, "b");
    {
        std::ofstream filler(drive / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            ;
    }
    for (int i = 0; i < 10000 && ::mkdir((drive / ("d" + std::to_string(i))).c_str(), 0700) == 0;
         ++i)
        ; // the last blocks, as folders
    for (const std::string& name : {std::string("b.del"), kLongestName}) {
        const std::string file = (drive / "in" / name).string();
        EXPECT_EQ(reason(platform::ForeseeTrashRefusal(file)),
                  reason(std::errc::no_space_on_device));
        EXPECT_EQ(reason(platform::MoveToTrash(file)), reason(std::errc::no_space_on_device));
        EXPECT_EQ(contentOf(file), "b");
    }
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
        GTEST_SKIP() << "mounting needs the right to mount (run as root)";
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
