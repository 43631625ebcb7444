// Moves and copies that never replace: whatever stands at the destination stays as it was, and
// so does the source.

#include "platform/file_identity.h"
#include "platform/file_operations.h"
#include "platform/no_replace_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

class NoReplace : public test::NoReplaceTest {
protected:
    enum class Stands { Nothing, File, Folder, SourceItself, HardLinkToSource };

    // Makes the destination's place as the case says; the source is in/a holding "source".
    void prepare(const std::string& destination, Stands stands) {
        writeBytes(at("in/a"), "source");
        switch (stands) {
        case Stands::Nothing:
        case Stands::SourceItself:
            break;
        case Stands::File:
            writeBytes(destination, "there");
            break;
        case Stands::Folder:
            fs::create_directory(destination);
            break;
        case Stands::HardLinkToSource:
            fs::create_hard_link(at("in/a"), destination);
            break;
        }
    }
};

TEST_F(NoReplace, AnythingAtTheDestinationFailsTheOperationAndStaysAsItWas) {
    struct Case {
        const char* what;
        bool move;
        Stands stands;
        std::errc expected; // errc{} for success
    };
    const Case cases[] = {
        {"move to a free name", true, Stands::Nothing, std::errc{}},
        {"copy to a free name", false, Stands::Nothing, std::errc{}},
        {"move onto a file", true, Stands::File, std::errc::file_exists},
        {"copy onto a file", false, Stands::File, std::errc::file_exists},
        {"move onto a folder", true, Stands::Folder, std::errc::file_exists},
        {"copy onto a folder", false, Stands::Folder, std::errc::file_exists},
        {"move onto itself", true, Stands::SourceItself, std::errc::invalid_argument},
        {"copy onto itself", false, Stands::SourceItself, std::errc::invalid_argument},
        {"move onto a hard link of itself", true, Stands::HardLinkToSource,
         std::errc::invalid_argument},
        {"copy onto a hard link of itself", false, Stands::HardLinkToSource,
         std::errc::invalid_argument},
    };
    for (const Case& c : cases) {
        fs::remove_all(at("in/a"));
        fs::remove_all(at("out/a"));
        const std::string destination = c.stands == Stands::SourceItself ? at("in/a") : at("out/a");
        prepare(destination, c.stands);
        const auto before = IdentifyFile(destination);
        const std::error_code error = c.move ? MoveFileNoReplace(at("in/a"), destination)
                                             : CopyFileNoReplace(at("in/a"), destination);
        const bool asExpected = c.expected == std::errc{} ? !error : error == c.expected;
        EXPECT_TRUE(asExpected) << c.what << ": " << error.message();
        EXPECT_EQ(readBytes(at("in/a")) == "source", !c.move || error) << c.what;
        if (!error) {
            EXPECT_EQ(readBytes(destination), "source") << c.what;
        } else {
            EXPECT_EQ(IdentifyFile(destination), before) << c.what;
        }
        EXPECT_TRUE(leftovers("out").empty()) << c.what;
    }
}

TEST_F(NoReplace, TheIdentityFollowsTheFileAndChangesWithItsContent) {
    writeBytes(at("in/a"), "12345");
    writeBytes(at("in/b"), "12345");
    fs::create_hard_link(at("in/a"), at("in/a-again"));
    const auto file = IdentifyFile(at("in/a"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size, 5u);
    // The last-write time as the standard library reads it, to the second.
    const auto written = fs::file_time_type::clock::to_sys(fs::last_write_time(at("in/a")));
    EXPECT_EQ(file->modifiedNs / 1'000'000'000,
              std::chrono::duration_cast<std::chrono::seconds>(written.time_since_epoch()).count());
    EXPECT_EQ(IdentifyFile(at("in/a-again")), file);
    const auto other = IdentifyFile(at("in/b"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->device, file->device);
    EXPECT_NE(other->inode, file->inode);
    EXPECT_EQ(IdentifyFile(at("in/none")), std::nullopt);
    EXPECT_EQ(IdentifyFile(at("in")), std::nullopt);
    writeBytes(at("in/a"), "123456");
    EXPECT_NE(IdentifyFile(at("in/a")), file);
    // A move within a folder keeps the file, and so its identity.
    const auto moved = IdentifyFile(at("in/a"));
    ASSERT_FALSE(MoveFileNoReplace(at("in/a"), at("in/c")));
    EXPECT_EQ(IdentifyFile(at("in/c")), moved);
}

} // namespace
} // namespace lp::platform
