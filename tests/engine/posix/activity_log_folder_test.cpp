// The activity log's folder holds what the user did with their files: it is made for the user
// alone, whatever the process's file mode mask would allow others.

#include "engine/activity_log.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace lp {
namespace {

namespace fs = std::filesystem;

TEST(ActivityLogFolder, IsMadeForTheUserAloneUnderAnyFileModeMask) {
    for (const ::mode_t mask : {::mode_t{0}, ::mode_t{022}, ::mode_t{077}}) {
        test::TempFolder temp;
        const std::string path = temp.file("state/Larchpost/activity.log");
        const ::mode_t before = ::umask(mask);
        {
            ActivityLog log(path, [](const std::string&) {});
            ActivityEntry entry;
            entry.time = "2026-12-08T09:12:33+01:00";
            entry.folder = "Folder";
            entry.action = "delete";
            entry.values = {"/in/b"};
            log.append(entry);
        }
        ::umask(before);
        EXPECT_TRUE(fs::exists(path)) << mask;
        EXPECT_EQ(fs::status(fs::path(path).parent_path()).permissions() & fs::perms::all,
                  fs::perms::owner_all)
            << mask;
    }
}

} // namespace
} // namespace lp
