// What only POSIX file systems have: permission bits that let a folder be read but not searched.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"
#include "without_permission_override.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

// The number of entries ListFolder gives, or -1 for none, taken as any user would take it.
long long entriesListedWithoutOverride(const std::string& folder, bool withDetails) {
    return test::runWithoutPermissionOverride([&] {
               const auto listing = ListFolder(folder, withDetails);
               return listing ? static_cast<long long>(listing->size()) : -1;
           })
        .value_or(-2);
}

TEST(FolderListing, EntriesThatCannotBeExaminedFailTheWholeListing) {
    test::TempFolder temp;
    const std::string folder = temp.file("shared");
    fs::create_directories(folder);
    test::writeBytes(folder + "/a", "a");
    test::writeBytes(folder + "/b", "b");
    fs::create_symlink("loop", folder + "/loop"); // leads round in a circle: listed as a link
    fs::create_symlink(folder + "/nowhere", folder + "/dangling");
    struct Case {
        const char* what;
        fs::perms permissions;
        bool withDetails;
        long long entries; // -1: no listing
    };
    const Case cases[] = {
        {"readable and searchable", fs::perms::owner_all, true, 4},
        {"readable, not searchable (chmod 444)", fs::perms(0444), true, -1},
        {"readable, not searchable, names only", fs::perms(0444), false, 4},
        {"not readable", fs::perms::owner_exec, false, -1},
    };
    for (const Case& c : cases) {
        fs::permissions(folder, c.permissions);
        EXPECT_EQ(entriesListedWithoutOverride(folder, c.withDetails), c.entries) << c.what;
    }
    fs::permissions(folder, fs::perms::owner_all);
}

} // namespace
} // namespace lp::platform
