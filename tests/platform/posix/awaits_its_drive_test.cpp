// A mount point that stays as an empty folder when its drive is away: folders made from a file
// must not fill it on the disk that holds it.

#include "globals/temp_folder.h"
#include "platform/folder_making.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

TEST(AwaitsItsDrive, OnlyAnEmptyMountPointTheTableNamesAndWhatLiesBelowIt) {
    test::TempFolder temp;
    const fs::path root = fs::canonical(temp.path());
    fs::create_directories(root / "drive" / "Photos");
    fs::create_directories(root / "other");
    fs::create_directory_symlink(root / "drive", root / "to-drive");
    struct Case {
        const char* what;
        std::string table; // the table's lines; DRIVE stands for the empty mount point
        fs::path folder;
        bool awaits;
    };
    const std::string driveLine = "LABEL=backup DRIVE ext4 noauto,user 0 2\n";
    const std::vector<Case> cases = {
        {"the mount point itself", driveLine, root / "drive", true},
        {"a folder on the system disk below it", driveLine, root / "drive" / "Photos", true},
        {"reached through a link", driveLine, root / "to-drive" / "Photos", true},
        {"written with a slash at its end", "/dev/sdb1 DRIVE/ ext4 noauto 0 2\n", root / "drive",
         true},
        {"written through a link", "/dev/sdb1 LINK ext4 noauto 0 2\n", root / "drive", true},
        {"a folder beside it", driveLine, root / "other", false},
        {"a name that only starts like it", driveLine, root / "drive2", false},
        {"the root, always mounted", "/dev/sda1 / ext4 defaults 0 1\n", root / "drive", false},
        {"a mount point with its file system mounted", "proc /proc proc defaults 0 0\n", "/proc",
         false},
        {"swap, no place of files", "/swapfile none swap sw 0 0\n", root / "drive", false},
        {"no table", "", root / "drive", false},
    };
    fs::create_directories(root / "drive2");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string table = c.table;
        if (const auto at = table.find("DRIVE"); at != std::string::npos)
            table.replace(at, 5, (root / "drive").string());
        if (const auto at = table.find("LINK"); at != std::string::npos)
            table.replace(at, 4, (root / "to-drive").string());
        const fs::path tablePath = root / "fstab";
        std::ofstream(tablePath) << "# a comment line\n" << table;
        EXPECT_EQ(AwaitsItsDrive(c.folder.string(), tablePath.string()), c.awaits);
    }
}

} // namespace
} // namespace lp::platform
