// Links as a file manager shows them: a link that leads nowhere is listed as the link itself.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

TEST(FolderListing, ADanglingLinkIsListedAsAFile) {
    test::TempFolder temp;
    fs::create_symlink(temp.file("nowhere"), temp.file("dangling"));
    fs::create_directories(temp.file("sub"));
    fs::create_symlink(temp.file("sub"), temp.file("to-sub"));
    const auto listing = ListFolder(temp.path().string(), true);
    ASSERT_TRUE(listing.has_value());
    ASSERT_EQ(listing->size(), 3u);
    for (const FolderEntry& entry : *listing)
        EXPECT_EQ(entry.isFolder, entry.name != "dangling") << entry.name;
}

} // namespace
} // namespace lp::platform
