// Where a user's instance guard lives: the runtime folder the system made for the user when it is
// private, else a fixed folder in the user's home; the same whatever the environment says.

#include "globals/temp_folder.h"
#include "platform/instance_lock.h"
#include "platform/posix/instance_folder.h"
#include "support/scoped_variable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <list>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace lp::platform {
namespace {

// An owner other than us is the user nobody.
constexpr uid_t kOtherUser = 65534;

struct RuntimeCase {
    const char* what;
    enum Kind { Folder, File, Link, Missing } kind;
    mode_t mode;
    bool othersOwn;
    bool used; // the runtime folder, rather than the one in the home
};

TEST(InstanceFolder, TheRuntimeFolderServesOnlyWhenTheSystemMadeItPrivateForTheUser) {
    const RuntimeCase cases[] = {
        {"private", RuntimeCase::Folder, 0700, false, true},
        {"readable by others", RuntimeCase::Folder, 0755, false, false},
        {"writable by all, sticky", RuntimeCase::Folder, 01777, false, false},
        {"writable by the group", RuntimeCase::Folder, 0770, false, false},
        {"another user's", RuntimeCase::Folder, 0700, true, false},
        {"a plain file", RuntimeCase::File, 0, false, false},
        {"a link to a private folder", RuntimeCase::Link, 0, false, false},
        {"missing", RuntimeCase::Missing, 0, false, false},
    };
    const uid_t user = ::geteuid();
    for (const RuntimeCase& c : cases) {
        test::TempFolder temp;
        const std::string runtimeFolders = temp.file("user");
        const std::string runtime = runtimeFolders + "/" + std::to_string(user);
        const std::string privateFolder = temp.file("private");
        ASSERT_EQ(::mkdir(runtimeFolders.c_str(), 0755), 0);
        ASSERT_EQ(::mkdir(privateFolder.c_str(), 0700), 0);
        switch (c.kind) {
        case RuntimeCase::Folder:
            ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
            ASSERT_EQ(::chmod(runtime.c_str(), c.mode), 0); // past the umask
            if (c.othersOwn) {
                if (::geteuid() != 0)
                    continue; // only root can give the folder to another user
                ASSERT_EQ(::chown(runtime.c_str(), kOtherUser, kOtherUser), 0);
            }
            break;
        case RuntimeCase::File:
            test::writeBytes(runtime, "x");
            break;
        case RuntimeCase::Link:
            ASSERT_EQ(::symlink(privateFolder.c_str(), runtime.c_str()), 0);
            break;
        case RuntimeCase::Missing:
            break;
        }
        const std::string home = temp.file("home");
        // The home's folder always, so that a start before the runtime folder was made and one
        // after meet there.
        std::vector<std::string> expected{home + "/.cache/Larchpost"};
        if (c.used)
            expected.push_back(runtime);
        EXPECT_EQ(posix::InstanceGuardFoldersFrom(runtimeFolders, home, user), expected) << c.what;
        EXPECT_EQ(posix::InstanceGuardFoldersFrom(runtimeFolders + "/", home + "/", user), expected)
            << c.what << ", given with trailing separators";
        if (c.used) {
            EXPECT_EQ(posix::InstanceGuardFoldersFrom(runtimeFolders, "", user),
                      std::vector<std::string>{runtime})
                << c.what << ", without a home";
        }
    }
}

TEST(InstanceFolder, AHomeThatIsNoAbsolutePathGivesNoFolder) {
    test::TempFolder temp;
    using Folders = std::vector<std::string>;
    EXPECT_EQ(posix::InstanceGuardFoldersFrom(temp.file("none"), "", ::geteuid()), Folders{});
    EXPECT_EQ(posix::InstanceGuardFoldersFrom(temp.file("none"), "home", ::geteuid()), Folders{});
    EXPECT_EQ(posix::InstanceGuardFoldersFrom(temp.file("none"), "/", ::geteuid()),
              Folders{"/.cache/Larchpost"});
}

// The variables that used to decide the place, changed every way a start by cron, su or sudo -u
// changes them, leave the user's guard folder where it was.
TEST(InstanceFolder, TheEnvironmentDoesNotMoveIt) {
    const std::vector<std::string> before = InstanceGuardFolders();
    if (before.empty())
        GTEST_SKIP()
            << "this user has neither a runtime folder nor a home in the password database";
    std::list<test::ScopedVariable> variables; // each put back as it was at the end
    for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME", "USER", "LOGNAME"})
        variables.emplace_back(name);
    test::TempFolder temp;
    const std::string elsewhere = temp.file("elsewhere");
    for (bool unset : {false, true}) {
        for (const test::ScopedVariable& variable : variables)
            variable.set(unset ? nullptr : elsewhere.c_str());
        EXPECT_EQ(InstanceGuardFolders(), before) << (unset ? "all unset" : "all elsewhere");
    }
}

} // namespace
} // namespace lp::platform
