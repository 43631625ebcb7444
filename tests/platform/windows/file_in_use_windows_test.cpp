// Telling files that another program is still writing, on real files: a program that has one
// open for writing keeps others from opening it to read without sharing writing.

#include "globals/temp_folder.h"
#include "held_open.h"
#include "platform/file_in_use.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::OpenFor;

TEST(FileInUse, OnlyAFileOpenForWritingIsInUse) {
    test::TempFolder temp;
    const std::string file = temp.file("download");
    test::writeBytes(file, "partial");
    fs::create_directories(temp.file("folder"));
    struct Case {
        const char* what;
        std::string path;
        std::optional<OpenFor> heldFor; // nobody has it open without one
        bool inUse;
    };
    const Case cases[] = {
        {"closed", file, std::nullopt, false},
        {"open for reading", file, OpenFor::Reading, false},
        {"open for writing", file, OpenFor::Writing, true},
        {"open for reading and writing", file, OpenFor::ReadingAndWriting, true},
        {"a folder", temp.file("folder"), std::nullopt, false},
        {"nothing there", temp.file("missing"), std::nullopt, false},
    };
    for (const Case& c : cases) {
        std::optional<test::HeldOpen> holder;
        if (c.heldFor) {
            ASSERT_TRUE(holder.emplace(file, *c.heldFor).held()) << c.what;
        }
        EXPECT_EQ(FileOpenForWriting(c.path), c.inUse) << c.what;
    }
    EXPECT_EQ(test::readBytes(file), "partial") << "looking changes nothing";
}

} // namespace
} // namespace lp::platform
