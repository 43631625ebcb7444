// The note of the files the rules placed in their own folders, from one run to the next.

#include "engine/placed_files.h"
#include "globals/temp_folder.h"
#include "support/captured_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lp {
namespace {

namespace fs = std::filesystem;

ServiceTable tableOver(const std::vector<std::string>& folders) {
    ServiceTable table;
    for (const std::string& folder : folders) {
        rServiceRules service;
        service.sharedir = folder;
        table.services.push_back(service);
    }
    return table;
}

TEST(PlacedFiles, ComeBackToTheirFolderWhateverTheirNamesHold) {
    test::TempFolder temp;
    const std::string path = temp.file("state/placed-files");
    ServiceTable written = tableOver({"/a", "/b"});
    const filerec odd{"sub/x \"y\"\n\xFF z", 5, 46086.123456789};
    written.services[0].renamedInPlace = {odd, {"plain", 0, 1.5}};
    std::string noted;
    NotePlacedFiles(path, written, noted);
    // A damaged line costs only itself.
    std::ofstream(path, std::ios::app) << "\"/a\" \"broken\n";

    ServiceTable read = tableOver({"/b", "/a", "/c"});
    ReadPlacedFiles(path, read);
    EXPECT_TRUE(read.services[0].renamedInPlace.empty());
    EXPECT_EQ(read.services[1].renamedInPlace, (std::vector<filerec>{{"plain", 0, 1.5}, odd}));
    EXPECT_TRUE(read.services[2].renamedInPlace.empty());

    written.services[0].renamedInPlace.clear();
    NotePlacedFiles(path, written, noted);
    EXPECT_FALSE(fs::exists(path)) << "with none left, the note goes";
}

TEST(PlacedFiles, ANoteThatCannotBeWrittenIsSaidOnceAndTriedAgain) {
    test::TempFolder temp;
    const std::string path = temp.file("placed-files");
    fs::create_directories(path); // a folder stands at its name
    ServiceTable table = tableOver({"/a"});
    table.services[0].renamedInPlace = {{"r-a.txt", 1, 2.0}};
    std::string noted;
    const test::CapturedLog log;
    NotePlacedFiles(path, table, noted);
    NotePlacedFiles(path, table, noted);
    EXPECT_EQ(log.lines.size(), 1u);
    fs::remove(path);
    NotePlacedFiles(path, table, noted);
    ServiceTable read = tableOver({"/a"});
    ReadPlacedFiles(path, read);
    EXPECT_EQ(read.services[0].renamedInPlace, table.services[0].renamedInPlace);
}

} // namespace
} // namespace lp
