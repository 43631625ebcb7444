// Following the activity log for the Activity window: the rotated files read oldest first, lines
// that do not parse skipped, and only what was appended read again, across a rotation too.

#include "engine/activity_tail.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

lp::ActivityEntry moved(const std::string& name) {
    lp::ActivityEntry entry;
    entry.time = "2026-12-08T09:12:33+01:00";
    entry.folder = "Downloads";
    entry.rule = "Tidy";
    entry.action = "move";
    entry.values = {"/in/" + name, "/out/" + name};
    entry.identity = lp::FileIdentity{10, 1'700'000'000'000'000'000, 2049, 77};
    return entry;
}

std::string line(const std::string& name) {
    return lp::FormatActivityLine(moved(name)) + "\n";
}

void append(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

std::vector<std::string> names(const lp::ActivityUpdate& update) {
    std::vector<std::string> out;
    for (const lp::ActivityEntry& entry : update.entries)
        out.push_back(fs::path(entry.values.at(0)).filename().string());
    return out;
}

using Names = std::vector<std::string>;

class ActivityTail : public ::testing::Test {
protected:
    // The log rotated as the writer does it: every older file one number up, the live one to 1.
    void rotate() {
        for (int i = 4; i >= 1; --i) {
            const std::string older = log + "." + std::to_string(i);
            if (!fs::exists(older))
                continue;
            if (i == 4)
                fs::remove(older);
            else
                fs::rename(older, log + "." + std::to_string(i + 1));
        }
        fs::rename(log, log + ".1");
    }

    lp::test::TempFolder folder;
    const std::string log = folder.file("activity.log");
};

TEST_F(ActivityTail, TheFirstReadGivesEveryFileOldestFirstAndSkipsBrokenLines) {
    append(log + ".2", line("a") + "not a log line\n" + line("b"));
    append(log + ".1", "\n" + line("c"));
    append(log, line("d") + "2026-12-08T09:12:33+01:00 \"x\" \"y\" shuffle \"z\"\n" + line("e"));
    lp::ActivityLogTail tail(log);
    const lp::ActivityUpdate first = tail.read();
    EXPECT_FALSE(first.restarted);
    EXPECT_EQ(names(first), (Names{"a", "b", "c", "d", "e"}));
    ASSERT_FALSE(first.entries.empty());
    EXPECT_EQ(first.entries.front(), moved("a")) << "read back whole";
    EXPECT_TRUE(tail.read().entries.empty()) << "nothing new";
}

TEST_F(ActivityTail, WithoutAnyLogThereIsNothingUntilOneIsWritten) {
    lp::ActivityLogTail tail(log);
    EXPECT_TRUE(tail.read().entries.empty());
    append(log, line("a"));
    EXPECT_EQ(names(tail.read()), Names{"a"});
}

TEST_F(ActivityTail, LaterReadsGiveOnlyWhatWasAppendedAndFinishAHalfWrittenLine) {
    append(log, line("a"));
    lp::ActivityLogTail tail(log);
    EXPECT_EQ(names(tail.read()), Names{"a"});
    const std::string next = line("b");
    append(log, next.substr(0, 20));
    EXPECT_TRUE(tail.read().entries.empty()) << "a line is read once it is whole";
    append(log, next.substr(20) + line("c"));
    EXPECT_EQ(names(tail.read()), (Names{"b", "c"}));
}

// What the writer did between two reads, and what the second read must give.
struct RotationCase {
    const char* name;
    int rotations;
    Names expected;
};

class ActivityTailRotation : public ActivityTail,
                             public testing::WithParamInterface<RotationCase> {};

TEST_P(ActivityTailRotation, GivesTheRestOfTheRotatedFileAndEveryLaterOne) {
    const RotationCase& c = GetParam();
    append(log, line("a"));
    lp::ActivityLogTail tail(log);
    ASSERT_EQ(names(tail.read()), Names{"a"});
    append(log, line("b"));
    for (int i = 0; i < c.rotations; ++i) {
        rotate();
        append(log, line("r" + std::to_string(i)));
    }
    const lp::ActivityUpdate update = tail.read();
    EXPECT_FALSE(update.restarted);
    EXPECT_EQ(names(update), c.expected);
    append(log, line("z"));
    EXPECT_EQ(names(tail.read()), Names{"z"}) << "the new file is followed";
}

INSTANTIATE_TEST_SUITE_P(Cases, ActivityTailRotation,
                         testing::Values(RotationCase{"None", 0, {"b"}},
                                         RotationCase{"Once", 1, {"b", "r0"}},
                                         RotationCase{"Twice", 2, {"b", "r0", "r1"}}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ActivityTail, ARotationBeforeTheNewFileExistsIsFollowedOnceItDoes) {
    append(log, line("a"));
    lp::ActivityLogTail tail(log);
    tail.read();
    append(log, line("b"));
    rotate();
    EXPECT_EQ(names(tail.read()), Names{"b"});
    append(log, line("c"));
    EXPECT_EQ(names(tail.read()), Names{"c"});
}

// Truncated, or every file replaced: what was read may be gone, so the whole log comes again.
TEST_F(ActivityTail, AnUnfollowableLogIsReadAgainWhole) {
    append(log, line("a") + line("b"));
    lp::ActivityLogTail tail(log);
    tail.read();
    fs::resize_file(log, 0);
    append(log, line("c"));
    lp::ActivityUpdate update = tail.read();
    EXPECT_TRUE(update.restarted);
    EXPECT_EQ(names(update), Names{"c"});

    append(log + ".new", line("d") + line("e"));
    fs::rename(log + ".new", log); // another file in its place, not a rotation
    update = tail.read();
    EXPECT_TRUE(update.restarted);
    EXPECT_EQ(names(update), (Names{"d", "e"}));
}

} // namespace
