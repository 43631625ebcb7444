// Moves and copies that never replace: whatever stands at the destination stays as it was, and
// so does the source.

#include "file_operations_fixture.h"
#include "platform/file_identity.h"
#include "platform/file_operations.h"
#include "private_mounts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

class NoReplace : public test::FileOperationsTest {
protected:
    enum class Stands { Nothing, File, DanglingLink, Folder, SourceItself, HardLinkToSource };

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
        case Stands::DanglingLink:
            fs::create_symlink(at("nowhere"), destination);
            break;
        case Stands::Folder:
            fs::create_directory(destination);
            break;
        case Stands::HardLinkToSource:
            fs::create_hard_link(at("in/a"), destination);
            break;
        }
    }

    // Everything but our own temporary names.
    std::vector<std::string> leftovers(const std::string& folder) const {
        std::vector<std::string> names;
        for (const std::string& name : namesIn(folder))
            if (name.starts_with(".larchpost"))
                names.push_back(name);
        return names;
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
        {"move onto a dangling link", true, Stands::DanglingLink, std::errc::file_exists},
        {"copy onto a dangling link", false, Stands::DanglingLink, std::errc::file_exists},
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

TEST_F(NoReplace, AcrossFileSystemsAnOccupiedNameKeepsBothFilesAndLeavesNothingBehind) {
    fs::create_directories(at("far"));
    const test::ScopedMount far("none", at("far"), "tmpfs", 0);
    if (!far.mounted())
        GTEST_SKIP() << "no second file system could be mounted";
    for (const bool move : {true, false}) {
        writeBytes(at("in/a"), "source");
        writeBytes(at("far/a"), "there");
        const std::error_code error = move ? MoveFileNoReplace(at("in/a"), at("far/a"))
                                           : CopyFileNoReplace(at("in/a"), at("far/a"));
        EXPECT_EQ(error, std::errc::file_exists) << move;
        EXPECT_EQ(readBytes(at("in/a")), "source") << move;
        EXPECT_EQ(readBytes(at("far/a")), "there") << move;
        EXPECT_TRUE(leftovers("far").empty()) << move;
        EXPECT_TRUE(leftovers("in").empty()) << move;

        EXPECT_FALSE(move ? MoveFileNoReplace(at("in/a"), at("far/b"))
                          : CopyFileNoReplace(at("in/a"), at("far/b")));
        EXPECT_EQ(readBytes(at("far/b")), "source") << move;
        EXPECT_EQ(fs::exists(at("in/a")), !move) << move;
        fs::remove(at("far/b"));
    }
}

TEST_F(NoReplace, ALinkMovesOnlyWhereItsNameIsFree) {
    writeBytes(at("target"), "target");
    fs::create_symlink(at("target"), at("in/link"));
    writeBytes(at("out/link"), "there");
    EXPECT_EQ(MoveFileNoReplace(at("in/link"), at("out/link")), std::errc::file_exists);
    EXPECT_TRUE(fs::is_symlink(at("in/link")));
    EXPECT_EQ(readBytes(at("out/link")), "there");

    // A relative link moved to another folder is written anew, and still never replaces.
    fs::create_symlink("../target", at("in/rel"));
    writeBytes(at("out/rel"), "there");
    EXPECT_EQ(MoveFileNoReplace(at("in/rel"), at("out/rel")), std::errc::file_exists);
    EXPECT_TRUE(fs::is_symlink(at("in/rel")));
    EXPECT_EQ(readBytes(at("out/rel")), "there");
    EXPECT_FALSE(MoveFileNoReplace(at("in/rel"), at("out/rel2")));
    EXPECT_EQ(readBytes(at("out/rel2")), "target");
    EXPECT_TRUE(leftovers("out").empty());
}

TEST_F(NoReplace, TheIdentityIsOfTheEntryItselfAndChangesWithItsContent) {
    writeBytes(at("in/a"), "12345");
    fs::create_symlink(at("in/a"), at("in/link"));
    const auto file = IdentifyFile(at("in/a"));
    ASSERT_TRUE(file);
    struct stat status {};
    ASSERT_EQ(::stat(at("in/a").c_str(), &status), 0);
    EXPECT_EQ(file->size, 5u);
    EXPECT_EQ(file->inode, static_cast<std::uint64_t>(status.st_ino));
    EXPECT_EQ(file->modifiedNs, status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec);
    const auto link = IdentifyFile(at("in/link"));
    ASSERT_TRUE(link);
    EXPECT_NE(link->inode, file->inode);
    EXPECT_EQ(IdentifyFile(at("in/none")), std::nullopt);
    EXPECT_EQ(IdentifyFile(at("in")), std::nullopt);
    writeBytes(at("in/a"), "123456");
    EXPECT_NE(IdentifyFile(at("in/a")), file);
}

} // namespace
} // namespace lp::platform
