// Temporary copies left by a killed program: a copy into their folder removes those begun over a
// day before, and nothing else.

#include "platform/file_operations_fixture.h"
#include "platform/windows/stale_copies.h"
#include "platform/windows/windows_support.h"

namespace lp::platform {
namespace {

namespace fs = std::filesystem;
using FileOperations = test::FileOperationsTest;
using test::writeBytes;

// Our temporary name for a copy begun the given hours before now.
std::string copyNameFromHoursAgo(int hours, const char* between = "-") {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks =
        ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
        static_cast<ULONGLONG>(hours) * 60 * 60 * 10'000'000;
    return ".larchpost-copy-12-" + std::to_string(hours) + between + std::to_string(ticks);
}

TEST_F(FileOperations, ACopyRemovesOnlyOurOwnTemporaryCopiesOverADayOld) {
    struct Entry {
        std::string name;
        bool folder;
        bool removed;
    };
    const Entry entries[] = {
        {copyNameFromHoursAgo(25), false, true},
        {copyNameFromHoursAgo(23), false, false},
        {copyNameFromHoursAgo(30, "-x"), false, false},
        {copyNameFromHoursAgo(31, "."), false, false},
        {".larchpost-copy-12-5", false, false},
        {".larchpost-copy-mine", false, false},
        {"notes.txt", false, false},
        {copyNameFromHoursAgo(48), true, false},
    };
    for (const Entry& e : entries) {
        if (e.folder)
            fs::create_directory(at("out/" + e.name));
        else
            writeBytes(at("out/" + e.name), "left");
    }
    writeBytes(at("in/a"), "a");
    EXPECT_FALSE(CopyFileReplacing(at("in/a"), at("out/a")));
    for (const Entry& e : entries)
        EXPECT_EQ(fs::exists(at("out/" + e.name)), !e.removed) << e.name;
    EXPECT_TRUE(fs::exists(at("out/a")));
}

TEST_F(FileOperations, AnOldTemporaryCopyThatIsStillOpenStays) {
    const std::string name = at("out/" + copyNameFromHoursAgo(30));
    writeBytes(name, "being written");
    {
        const windows::Handle writer(::CreateFileW(windows::toWide(name).c_str(), GENERIC_WRITE, 0,
                                                   nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(writer.valid());
        windows::RemoveStaleCopies(windows::toWide(at("out")));
        EXPECT_TRUE(fs::exists(name));
    }
    windows::RemoveStaleCopies(windows::toWide(at("out")));
    EXPECT_FALSE(fs::exists(name));
}

} // namespace
} // namespace lp::platform
