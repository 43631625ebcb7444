// A log the user may not read: the read says why, and the entries come once it can be read.

#include "engine/activity_tail.h"
#include "globals/temp_folder.h"
#include "without_permission_override.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

std::string line(const std::string& name) {
    lp::ActivityEntry entry;
    entry.time = "2026-12-08T09:12:33+01:00";
    entry.folder = "Downloads";
    entry.rule = "Tidy";
    entry.action = "delete";
    entry.values = {"/in/" + name};
    return lp::FormatActivityLine(entry) + "\n";
}

// Which file is closed to the reader: the live log, or a rotated one.
struct UnreadableCase {
    const char* name;
    const char* closedSuffix;
};

class ActivityTailUnreadable : public testing::TestWithParam<UnreadableCase> {
protected:
    lp::test::TempFolder folder;
    const std::string log = folder.file("activity.log");
};

TEST_P(ActivityTailUnreadable, SaysWhyAndReadsTheFileOnceItCanBe) {
    std::ofstream(log + ".1") << line("old.txt");
    std::ofstream(log) << line("new.txt");
    const std::string closed = log + GetParam().closedSuffix;
    fs::permissions(closed, fs::perms::none);
    const std::string expected =
        "The activity log " + closed + " cannot be read: Permission denied.";
    // Bits of the result: 1 the reason told, 2 the readable file's entry given, 4 both entries
    // read again whole once the file is open again, and no reason told then.
    const std::optional<long long> result = lp::test::runWithoutPermissionOverride([&] {
        lp::ActivityLogTail tail(log);
        const lp::ActivityUpdate closedRead = tail.read();
        long long bits = 0;
        if (closedRead.problem == expected)
            bits |= 1;
        if (closedRead.entries.size() == 1)
            bits |= 2;
        fs::permissions(closed, fs::perms::owner_read | fs::perms::owner_write);
        const lp::ActivityUpdate later = tail.read();
        if (!later.problem && later.restarted && later.entries.size() == 2)
            bits |= 4;
        return bits;
    });
    ASSERT_TRUE(result) << "the child could not run as any user";
    EXPECT_EQ(*result & 1, 1) << "the reason is told";
    EXPECT_EQ(*result & 2, 2) << "the readable file is still read";
    EXPECT_EQ(*result & 4, 4) << "no reason once the file can be read";
}

INSTANTIATE_TEST_SUITE_P(Files, ActivityTailUnreadable,
                         testing::Values(UnreadableCase{"LiveLog", ""},
                                         UnreadableCase{"RotatedLog", ".1"}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
