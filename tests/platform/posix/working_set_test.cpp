// Giving up the pages a waiting program can read back: which mappings qualify, and the effect on
// real mappings of the test program itself.

#include "globals/temp_folder.h"
#include "platform/posix/clean_file_mappings.h"
#include "platform/process_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace lp::platform {
namespace {

// One mapping as /proc/self/smaps shows it, with the fields that decide and a few that do not.
std::string mapping(const std::string& header, int rss, int anonymous = 0, int privateDirty = 0,
                    const std::string& flags = "rd ex mr mw me sd") {
    return header + "\nSize:               2048 kB\nKernelPageSize:        4 kB\nRss:" +
           std::to_string(rss) + " kB\nPss:                   8 kB\nShared_Clean:          0 kB\n" +
           "Shared_Dirty:          0 kB\nPrivate_Clean:         8 kB\nPrivate_Dirty:" +
           std::to_string(privateDirty) + " kB\nAnonymous:" + std::to_string(anonymous) +
           " kB\nLazyFree:              0 kB\nTHPeligible:    0\nLocked:                0 kB\n" +
           "VmFlags: " + flags + "\n";
}

TEST(CleanFileMappings, OnlyUnwrittenPrivatePagesOfFilesOnDiskQualify) {
    const std::string library = "7f0000000000-7f0000200000 r-xp 00010000 fe:01 4242   "
                                "/usr/lib/x86_64-linux-gnu/libQt6Core.so.6";
    const MappedRange libraryRange{0x7f0000000000, 0x200000};
    struct Case {
        const char* what;
        std::string smaps;
        bool qualifies;
    };
    const Case cases[] = {
        {"a library's code, resident", mapping(library, 1496), true},
        {"a path with blanks",
         mapping("7f0000000000-7f0000200000 r--p 0 fe:01 7 /home/a b/c d.ttf", 4), true},
        {"nothing resident", mapping(library, 0), false},
        {"relocated constants, written once",
         mapping("7f0000000000-7f0000200000 r--p 00010000 fe:01 4242 /usr/lib/libQt6Gui.so.6", 268,
                 268, 268),
         false},
        {"a file page written in place", mapping(library, 8, 0, 4), false},
        {"writable, nothing written yet",
         mapping("7f0000000000-7f0000200000 rw-p 0 fe:01 4242 /usr/lib/libQt6Gui.so.6", 8), false},
        {"a shared mapping", mapping("7f0000000000-7f0000200000 rw-s 0 00:01 9 /SYSV00000000", 64),
         false},
        {"the heap",
         mapping("55d000000000-55d000200000 rw-p 00000000 00:00 0   [heap]", 1312, 1312), false},
        {"an unnamed mapping", mapping("7f0000000000-7f0000200000 r--p 00000000 00:00 0", 4),
         false},
        {"a memory file",
         mapping("7f0000000000-7f0000200000 r--p 0 00:01 12 /memfd:wayland (deleted)", 4), false},
        {"a file deleted since",
         mapping("7f0000000000-7f0000200000 r-xp 0 fe:01 3 /opt/old.so (deleted)", 4), false},
        {"locked in memory", mapping(library, 1496, 0, 0, "rd ex mr mw me lo sd"), false},
        {"an address not understood", mapping("7g0000000000-7f0000200000 r-xp 0 fe:01 3 /a.so", 4),
         false},
        {"cut short before its last line",
         mapping(library, 1496).substr(0, mapping(library, 1496).find("VmFlags")), false},
    };
    for (const Case& c : cases) {
        const std::vector<MappedRange> found = CleanFileMappings(c.smaps);
        EXPECT_EQ(found.size(), c.qualifies ? 1U : 0U) << c.what;
    }
    EXPECT_EQ(CleanFileMappings(mapping(library, 1496)), std::vector<MappedRange>{libraryRange});

    // Each mapping is judged on its own, whatever came before it.
    const std::string heap = mapping("55d000000000-55d000200000 rw-p 0 00:00 0 [heap]", 64, 64);
    const std::string text = mapping(heap + "garbage line\n" + library, 1496);
    EXPECT_EQ(CleanFileMappings(text), std::vector<MappedRange>{libraryRange});
    EXPECT_EQ(CleanFileMappings(mapping(library, 1496) + heap + mapping(library, 4)),
              (std::vector<MappedRange>{libraryRange, libraryRange}));
}

// Resident kilobytes of the mapping that starts at address, read from the kernel's own account.
long residentKilobytes(const void* address) {
    char start[32];
    std::snprintf(start, sizeof start, "%lx-", reinterpret_cast<unsigned long>(address));
    FILE* smaps = std::fopen("/proc/self/smaps", "r");
    char line[4096];
    bool inMapping = false;
    long kilobytes = -1;
    while (smaps && std::fgets(line, sizeof line, smaps)) {
        if (std::strchr(line, '-') && std::strncmp(line, start, std::strlen(start)) == 0)
            inMapping = true;
        else if (inMapping && std::sscanf(line, "Rss: %ld kB", &kilobytes) == 1)
            break;
    }
    if (smaps)
        std::fclose(smaps);
    return kilobytes;
}

TEST(TrimWorkingSet, ReadPagesOfAFileGoWrittenPagesStayWithTheirContent) {
    test::TempFolder temp;
    constexpr std::size_t kLength = 64 * 4096;
    // Each mapping of a file of its own, so that one mapping's pages tell nothing of another's.
    const auto mapNewFile = [&](const std::string& name, int protection, int sharing) -> void* {
        const int fd = ::open(temp.file(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return MAP_FAILED;
        const std::string content(kLength, 'x');
        const bool made = ::write(fd, content.data(), kLength) == static_cast<ssize_t>(kLength) &&
                          ::fsync(fd) == 0; // clean in the file cache, as a library read from disk
        void* address = made ? ::mmap(nullptr, kLength, protection, sharing, fd, 0) : MAP_FAILED;
        ::close(fd);
        return address;
    };
    auto* readOnly = static_cast<const char*>(mapNewFile("read", PROT_READ, MAP_PRIVATE));
    auto* written = static_cast<char*>(mapNewFile("written", PROT_READ | PROT_WRITE, MAP_PRIVATE));
    auto* shared = static_cast<char*>(mapNewFile("shared", PROT_READ | PROT_WRITE, MAP_SHARED));
    ASSERT_NE(readOnly, MAP_FAILED);
    ASSERT_NE(written, MAP_FAILED);
    ASSERT_NE(shared, MAP_FAILED);
    long sum = 0;
    for (std::size_t at = 0; at < kLength; at += 4096) {
        sum += readOnly[at];
        written[at] = 'w';
        sum += shared[at];
    }
    ASSERT_EQ(sum, 2L * 'x' * (kLength / 4096));
    ASSERT_GT(residentKilobytes(readOnly), 0);

    trimWorkingSet();

    EXPECT_EQ(residentKilobytes(readOnly), 0) << "the pages only read are given up";
    EXPECT_EQ(residentKilobytes(written), static_cast<long>(kLength / 1024))
        << "the pages written stay";
    EXPECT_EQ(residentKilobytes(shared), static_cast<long>(kLength / 1024))
        << "a shared mapping is left alone";
    for (std::size_t at = 0; at < kLength; at += 4096) {
        ASSERT_EQ(readOnly[at], 'x') << "read back from the file";
        ASSERT_EQ(written[at], 'w');
    }
    ::munmap(const_cast<char*>(readOnly), kLength);
    ::munmap(written, kLength);
    ::munmap(shared, kLength);
}

} // namespace
} // namespace lp::platform
