// What stands at a path, told without changing anything, and whether two paths reach one file.

#include "globals/temp_folder.h"
#include "platform/entry_status.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

TEST(EntryStatus, TellsWhatStandsAtThePath) {
    test::TempFolder temp;
    test::writeBytes(temp.file("file"), "x");
    fs::create_directories(temp.file("folder"));
    struct Case {
        const char* what;
        std::string path;
        bool exists, isFolder;
        PathLeadsTo leadsTo;
    };
    const Case cases[] = {
        {"a file", temp.file("file"), true, false, PathLeadsTo::File},
        {"a folder", temp.file("folder"), true, true, PathLeadsTo::Folder},
        {"nothing", temp.file("missing"), false, false, PathLeadsTo::Nothing},
        {"inside a file", temp.file("file") + "/x", false, false, PathLeadsTo::Nothing},
    };
    for (const Case& c : cases) {
        const EntryStatus status = ExamineEntry(c.path);
        EXPECT_EQ(status.exists, c.exists) << c.what;
        EXPECT_EQ(status.isFolder, c.isFolder) << c.what;
        EXPECT_EQ(status.leadsTo, c.leadsTo) << c.what;
    }
}

TEST(EntryStatus, TwoNamesOfOneFileAreTheSameFileAndNothingElseIs) {
    test::TempFolder temp;
    test::writeBytes(temp.file("a"), "same");
    test::writeBytes(temp.file("b"), "same");
    fs::create_hard_link(temp.file("a"), temp.file("a-again"));
    struct Case {
        const char* what;
        std::string first, second;
        bool same;
    };
    const Case cases[] = {
        {"the very path", "a", "a", true},
        {"a second name", "a", "a-again", true},
        {"another file of the same content", "a", "b", false},
        {"nothing there, twice", "missing", "missing", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExamineEntry(temp.file(c.first)).sameFileAs(ExamineEntry(temp.file(c.second))),
                  c.same)
            << c.what;
}

} // namespace
} // namespace lp::platform
