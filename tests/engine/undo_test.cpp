// Undo on real folders: what is taken back, what is refused and why, and the line each attempt
// leaves for the log.

#include "engine/undo.h"
#include "globals/temp_folder.h"
#include "platform/file_identity.h"
#include "support/write_time.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using lp::test::readBytes;
using lp::test::writeBytes;
namespace fs = std::filesystem;

struct Done {
    std::string from;
    std::string to;
};

class Undo : public ::testing::Test {
protected:
    // A file that a rule moved (or copied) from "in/report.txt" to "out/report.txt".
    lp::ActivityEntry sorted(const char* action) {
        fs::create_directories(folder.path() / "in");
        fs::create_directories(folder.path() / "out");
        writeBytes(to, "the report");
        lp::test::setLocalWriteTime(to, 2026, 3, 4);
        if (std::string(action) == "copy") {
            writeBytes(from, "the report");
        }
        lp::ActivityEntry entry;
        entry.time = "2026-12-08T09:12:33+01:00";
        entry.folder = "Downloads";
        entry.rule = "Reports";
        entry.action = action;
        entry.values = {from, to};
        entry.identity = lp::platform::IdentifyFile(to);
        return entry;
    }

    lp::test::TempFolder folder;
    const std::string from = folder.file("in/report.txt");
    const std::string to = folder.file("out/report.txt");
};

TEST_F(Undo, AMoveGoesBackAndIsLoggedWithTheFileNowAtItsOldPlace) {
    const lp::ActivityEntry entry = sorted("move");
    const lp::UndoResult result = lp::UndoActivity(entry);
    EXPECT_TRUE(result.done) << result.message;
    EXPECT_EQ(readBytes(from), "the report");
    EXPECT_FALSE(fs::exists(to));
    ASSERT_TRUE(result.logged);
    EXPECT_TRUE(result.logged->undo);
    EXPECT_FALSE(result.logged->failed);
    EXPECT_EQ(result.logged->action, "move");
    EXPECT_EQ(result.logged->values, (std::vector<std::string>{to, from}));
    EXPECT_EQ(result.logged->folder, "Downloads");
    EXPECT_EQ(result.logged->rule, "Reports");
    EXPECT_EQ(result.logged->identity, lp::platform::IdentifyFile(from));
    EXPECT_EQ(result.logged->identity, entry.identity) << "a rename keeps the file's identity";
    EXPECT_TRUE(lp::IsUndoOf(*result.logged, entry));
    EXPECT_FALSE(lp::IsUndoOf(entry, *result.logged));
}

TEST_F(Undo, AnUnchangedCopyWhoseOriginalIsThereIsRemoved) {
    const lp::ActivityEntry entry = sorted("copy");
    const lp::UndoResult result = lp::UndoActivity(entry);
    EXPECT_TRUE(result.done) << result.message;
    EXPECT_FALSE(fs::exists(to));
    EXPECT_EQ(readBytes(from), "the report");
    ASSERT_TRUE(result.logged);
    EXPECT_TRUE(result.logged->undo);
    EXPECT_EQ(result.logged->action, "delete");
    EXPECT_EQ(result.logged->values, std::vector<std::string>{to});
    EXPECT_FALSE(result.logged->identity);
    EXPECT_TRUE(lp::IsUndoOf(*result.logged, entry));
}

// What happened to the files after the entry was written, and what undo must then say.
struct RefusalCase {
    const char* name;
    const char* action;
    std::function<void(const Done&)> meanwhile;
    const char* message;
};

class UndoRefusal : public Undo, public testing::WithParamInterface<RefusalCase> {};

TEST_P(UndoRefusal, LeavesEveryFileAsItIsAndLogsNothing) {
    const RefusalCase& c = GetParam();
    const lp::ActivityEntry entry = sorted(c.action);
    c.meanwhile({from, to});
    const bool fromThere = fs::exists(from);
    const std::string fromContent = fromThere ? readBytes(from) : "";
    const bool toThere = fs::exists(to);
    const std::string toContent = toThere ? readBytes(to) : "";

    const lp::UndoResult result = lp::UndoActivity(entry);
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.message, c.message);
    EXPECT_FALSE(result.logged);
    EXPECT_EQ(fs::exists(from), fromThere);
    EXPECT_EQ(fs::exists(to), toThere);
    if (fromThere) {
        EXPECT_EQ(readBytes(from), fromContent);
    }
    if (toThere) {
        EXPECT_EQ(readBytes(to), toContent);
    }
}

void rewrite(const Done& d) {
    writeBytes(d.to, "the report, edited");
}

// Another file takes the name: the same size and time, only device and inode tell it apart.
void replaceBySameSizeAndTime(const Done& d) {
    const std::string other = d.to + ".new";
    writeBytes(other, "the report");
    lp::test::setLocalWriteTime(other, 2026, 3, 4);
    fs::rename(other, d.to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UndoRefusal,
    testing::Values(
        RefusalCase{"MovedFileWrittenSince", "move", rewrite,
                    "The file has changed since it was moved."},
        RefusalCase{"MovedFileTouchedSince", "move",
                    [](const Done& d) { lp::test::setLocalWriteTime(d.to, 2026, 3, 5); },
                    "The file has changed since it was moved."},
        RefusalCase{"MovedFileReplacedByAnotherOfTheSameSizeAndTime", "move",
                    replaceBySameSizeAndTime, "The file has changed since it was moved."},
        RefusalCase{"OldPlaceOccupied", "move",
                    [](const Done& d) { writeBytes(d.from, "a newer report"); },
                    "A file already stands at its old place."},
        RefusalCase{"OldPlaceHoldsAFolder", "move",
                    [](const Done& d) { fs::create_directory(d.from); },
                    "A file already stands at its old place."},
        RefusalCase{"MovedFileGone", "move", [](const Done& d) { fs::remove(d.to); },
                    "The file is no longer where it was moved to."},
        RefusalCase{"CopyChanged", "copy", rewrite, "The copy has changed since it was made."},
        RefusalCase{"CopyReplacedByAnotherOfTheSameSizeAndTime", "copy", replaceBySameSizeAndTime,
                    "The copy has changed since it was made."},
        RefusalCase{"CopyGone", "copy", [](const Done& d) { fs::remove(d.to); },
                    "The copy is no longer there."},
        RefusalCase{"CopyWhoseOriginalIsGone", "copy", [](const Done& d) { fs::remove(d.from); },
                    "The original file is no longer there, so the copy is kept."}),
    [](const testing::TestParamInfo<RefusalCase>& p) { return std::string(p.param.name); });

TEST_F(Undo, AMoveBackThatFailsIsLoggedAsFailed) {
    const lp::ActivityEntry entry = sorted("move");
    // The old folder is gone: nothing stands at the old place, but the move back cannot be made.
    fs::remove_all(folder.path() / "in");
    const lp::UndoResult result = lp::UndoActivity(entry);
    EXPECT_FALSE(result.done);
    EXPECT_FALSE(result.message.empty());
    ASSERT_TRUE(result.logged);
    EXPECT_TRUE(result.logged->failed);
    EXPECT_EQ(result.logged->reason, "the folder it was moved out of is no longer there");
    EXPECT_TRUE(result.logged->undo);
    EXPECT_EQ(result.logged->values, (std::vector<std::string>{to, from}));
    EXPECT_FALSE(result.logged->identity);
    EXPECT_EQ(readBytes(to), "the report");
    EXPECT_FALSE(lp::IsUndoOf(*result.logged, entry)) << "a failed undo leaves it to be done";
}

struct ImpossibleCase {
    const char* name;
    std::function<void(lp::ActivityEntry&)> make;
};

class UndoImpossible : public Undo, public testing::WithParamInterface<ImpossibleCase> {};

TEST_P(UndoImpossible, IsSaidWithoutTouchingAnything) {
    lp::ActivityEntry entry = sorted("move");
    GetParam().make(entry);
    const std::optional<std::string> reason = lp::UndoImpossibleReason(entry);
    ASSERT_TRUE(reason);
    const lp::UndoResult result = lp::UndoActivity(entry);
    EXPECT_FALSE(result.done);
    EXPECT_EQ(result.message, *reason);
    EXPECT_FALSE(result.logged);
    EXPECT_EQ(readBytes(to), "the report");
    EXPECT_FALSE(fs::exists(from));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UndoImpossible,
    testing::Values(
        ImpossibleCase{"Delete",
                       [](lp::ActivityEntry& e) {
                           e.action = "delete";
                           e.values.resize(1);
                           e.identity.reset();
                       }},
        ImpossibleCase{"Trash", [](lp::ActivityEntry& e) { e.action = "trash"; }},
        ImpossibleCase{"Launch", [](lp::ActivityEntry& e) { e.action = "launch"; }},
        ImpossibleCase{"FailedMove", [](lp::ActivityEntry& e) { e.failed = true; }},
        ImpossibleCase{"AnUndo", [](lp::ActivityEntry& e) { e.undo = true; }},
        ImpossibleCase{"WithoutIdentity", [](lp::ActivityEntry& e) { e.identity.reset(); }},
        ImpossibleCase{"WithoutDestination", [](lp::ActivityEntry& e) { e.values.resize(1); }}),
    [](const testing::TestParamInfo<ImpossibleCase>& p) { return std::string(p.param.name); });

} // namespace
