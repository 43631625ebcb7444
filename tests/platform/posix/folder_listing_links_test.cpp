// Links as a file manager shows them: a link that leads nowhere is listed as the link itself.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>

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

// What spares the check for a writer its own look: only a plain file is one, with or without the
// details, and whatever listed the folder before into the same storage.
TEST(FolderListing, OnlyAPlainFileIsListedAsOne) {
    test::TempFolder temp;
    test::writeBytes(temp.file("file"), "x");
    fs::create_symlink(temp.file("file"), temp.file("link"));
    fs::create_directories(temp.file("sub"));
    ASSERT_EQ(::mkfifo(temp.file("pipe").c_str(), 0600), 0);
    std::vector<FolderEntry> entries;
    for (const bool withDetails : {false, true, false}) {
        ASSERT_TRUE(ListFolderInto(temp.path().string(), withDetails, entries));
        std::map<std::string, bool> plain;
        for (const FolderEntry& entry : entries)
            plain[entry.name] = entry.plainFile;
        EXPECT_EQ(plain, (std::map<std::string, bool>{
                             {"file", true}, {"link", false}, {"pipe", false}, {"sub", false}}))
            << withDetails;
    }
}

} // namespace
} // namespace lp::platform
