// What only POSIX file systems have: permission bits that let a folder be read but not searched.

#include "globals/temp_folder.h"
#include "platform/folder_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace lp::platform {
namespace {

namespace fs = std::filesystem;

// The number of entries ListFolder gives, or -1 for none, taken in a child process that has given
// up the capabilities to override permissions (which root has), so that a folder's permission
// bits decide as they do for any user.
long long entriesListedWithoutOverride(const std::string& folder, bool withDetails) {
    int channel[2];
    if (::pipe(channel) != 0)
        return -2;
    const pid_t child = ::fork();
    if (child == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0)
            ::_exit(2);
        for (const unsigned cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            data[cap / 32].effective &= ~(1u << (cap % 32));
        if (::syscall(SYS_capset, &header, data) != 0)
            ::_exit(2);
        const auto listing = ListFolder(folder, withDetails);
        const long long count = listing ? static_cast<long long>(listing->size()) : -1;
        ::_exit(::write(channel[1], &count, sizeof count) == sizeof count ? 0 : 2);
    }
    ::close(channel[1]);
    long long count = -2;
    if (child < 0 || ::read(channel[0], &count, sizeof count) != sizeof count)
        count = -2;
    ::close(channel[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return count;
}

TEST(FolderListing, EntriesThatCannotBeExaminedFailTheWholeListing) {
    test::TempFolder temp;
    const std::string folder = temp.file("shared");
    fs::create_directories(folder);
    test::writeBytes(folder + "/a", "a");
    test::writeBytes(folder + "/b", "b");
    fs::create_symlink("loop", folder + "/loop"); // leads round in a circle: listed as a link
    fs::create_symlink(folder + "/nowhere", folder + "/dangling");
    struct Case {
        const char* what;
        fs::perms permissions;
        bool withDetails;
        long long entries; // -1: no listing
    };
    const Case cases[] = {
        {"readable and searchable", fs::perms::owner_all, true, 4},
        {"readable, not searchable (chmod 444)", fs::perms(0444), true, -1},
        {"readable, not searchable, names only", fs::perms(0444), false, 4},
        {"not readable", fs::perms::owner_exec, false, -1},
    };
    for (const Case& c : cases) {
        fs::permissions(folder, c.permissions);
        EXPECT_EQ(entriesListedWithoutOverride(folder, c.withDetails), c.entries) << c.what;
    }
    fs::permissions(folder, fs::perms::owner_all);
}

} // namespace
} // namespace lp::platform
