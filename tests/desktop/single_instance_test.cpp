#include "desktop/single_instance.h"

#include "platform/instance_lock.h"
#include "support/scoped_variable.h"
#include "without_permission_override.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each test gets its own runtime folder, so instances of other tests and users stay apart. What
// a test sets of the runtime and cache folders is undone at its end.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { runtime_.set(dir.path().toStdString()); }
    void TearDown() override {
        lp::setActivationHandler({});
        lp::releaseInstanceGuard();
    }

    static lp::platform::ExclusiveFileLock::Attempt
    tryOther(lp::platform::ExclusiveFileLock& lock) {
        return lock.tryLock(lp::instanceLockPath("Larchpost").toStdString());
    }

    QTemporaryDir dir;
    lp::test::ScopedVariable runtime_{"XDG_RUNTIME_DIR"};
    lp::test::ScopedVariable cache_{"XDG_CACHE_HOME"};
};

using Attempt = lp::platform::ExclusiveFileLock::Attempt;

TEST_F(SingleInstanceTest, FirstHoldsTheNameUntilReleased) {
    EXPECT_TRUE(lp::instanceLockPath("Larchpost").startsWith(dir.path()));
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
    EXPECT_TRUE(QFile::exists(lp::instanceLockPath("Larchpost")));
    EXPECT_TRUE(QFile::exists(lp::instanceSocketPath("Larchpost")));

    // Anyone else trying the same lock now finds it held.
    lp::platform::ExclusiveFileLock other;
    EXPECT_EQ(tryOther(other), Attempt::HeldElsewhere);

    lp::releaseInstanceGuard();
    EXPECT_EQ(tryOther(other), Attempt::Taken);
}

TEST_F(SingleInstanceTest, CloseAfterwardsLeavesTheNameFree) {
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, true));
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, true));
    lp::platform::ExclusiveFileLock other;
    EXPECT_EQ(tryOther(other), Attempt::Taken);
}

TEST_F(SingleInstanceTest, ALiveHolderMakesTheCheckTrue) {
    lp::platform::ExclusiveFileLock holder;
    ASSERT_EQ(tryOther(holder), Attempt::Taken);
    EXPECT_TRUE(lp::CheckAppAlreadyRunning("Larchpost", true, false));
    EXPECT_TRUE(holder.held()); // the check never takes a live lock over
}

// Another process holds the lock (the system's flock, as flock(1) takes it) and is killed at
// some moment of its life: while it lives the name is held, after its death it is free at once,
// whatever it left in the file. An empty lock file, as a start killed early leaves, included.
TEST_F(SingleInstanceTest, AHolderKilledAtAnyMomentNeverBlocksALaterStart) {
    const QString path = lp::instanceLockPath("Larchpost");
    for (int moment = 0; moment < 12; ++moment) {
        SCOPED_TRACE(moment);
        QProcess holder;
        // One process from start to end: the shell opens the file, flock(1) locks it, and the
        // shell becomes the sleeper that holds it.
        holder.start("sh", {"-c", "exec 9>>\"$0\" && flock --nonblock 9 && exec sleep 600", path});
        ASSERT_TRUE(holder.waitForStarted());
        if (moment % 2 == 1) {
            // Wait until it holds the lock, then check that it counts.
            ASSERT_TRUE(QTest::qWaitFor(
                [] { return lp::CheckAppAlreadyRunning("Larchpost", false, true); }));
        }
        QTest::qWait(moment / 2); // killed at varying points of its start
        holder.kill();
        ASSERT_TRUE(holder.waitForFinished());
        EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, true));
    }
    QFile empty(path);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
    empty.close();
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
}

// Without a runtime folder the lock goes into a folder of the user's own, never into one that
// other users may write (where they could take it first).
struct FallbackCase {
    const char* name;
    bool folderThere;
    QFile::Permissions before;
};

class FallbackFolder : public SingleInstanceTest,
                       public testing::WithParamInterface<FallbackCase> {};

TEST_P(FallbackFolder, IsTheUsersOwnWithMode0700) {
    runtime_.set(nullptr);
    const QString cache = dir.filePath("cache");
    cache_.set(cache.toStdString());
    const QString folder = cache + "/Larchpost";
    if (GetParam().folderThere) {
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::setPermissions(folder, GetParam().before));
    }
    EXPECT_TRUE(lp::instanceLockPath("Larchpost").startsWith(folder + "/"));
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
    struct stat info {};
    ASSERT_EQ(::stat(folder.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_TRUE(QFile::exists(lp::instanceLockPath("Larchpost")));
    EXPECT_TRUE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FallbackFolder,
    testing::Values(FallbackCase{"Created", false, {}},
                    FallbackCase{"OpenToOthers", true,
                                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadOther | QFile::WriteOther | QFile::ExeOther}),
    [](const testing::TestParamInfo<FallbackCase>& p) { return std::string(p.param.name); });

TEST_F(SingleInstanceTest, OnlyTheComeForwardRequestActivates) {
    int activations = 0;
    lp::setActivationHandler([&] { ++activations; });
    ASSERT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));

    const QByteArray requests[] = {"hello\n", QByteArray(5000, 'x'), "come-forward\n"};
    for (const QByteArray& request : requests) {
        QLocalSocket client;
        client.connectToServer(lp::instanceSocketPath("Larchpost"));
        ASSERT_TRUE(client.waitForConnected());
        client.write(request);
        client.waitForBytesWritten();
        client.disconnectFromServer();
    }
    // Only the last request counts; wait until the server has handled it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations > 0; }));
    QTest::qWait(50);
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, ALaterCheckAsksTheHolderToComeForward) {
    int activations = 0;
    lp::setActivationHandler([&] { ++activations; });
    ASSERT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", true, false));
    // This process holds the name, so asking again plays the second instance.
    EXPECT_TRUE(lp::CheckAppAlreadyRunning("Larchpost", true, false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }));
    // Another name is held independently.
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Other", false, true));
}

// The runtime folder from the environment is used only when no other user may write it; else the
// lock goes where it goes without one. An owner other than us is the user nobody.
constexpr uid_t kOtherUser = 65534;

struct RuntimeCase {
    const char* name;
    enum Kind { Folder, File, Link, Missing, Relative } kind;
    mode_t mode;
    bool othersOwn;
    bool trusted;
};

void PrintTo(const RuntimeCase& c, std::ostream* out) {
    *out << c.name;
}

class RuntimeFolder : public SingleInstanceTest, public testing::WithParamInterface<RuntimeCase> {};

TEST_P(RuntimeFolder, IsTrustedOnlyWhenPrivate) {
    const RuntimeCase& c = GetParam();
    if (c.othersOwn && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give the runtime folder to another user";
    const QString cache = dir.filePath("cache");
    cache_.set(cache.toStdString());
    const QString runtime = dir.filePath("run");
    const QString privateFolder = dir.filePath("private");
    ASSERT_EQ(::mkdir(privateFolder.toLocal8Bit().constData(), 0700), 0);
    const QByteArray path = runtime.toLocal8Bit();
    switch (c.kind) {
    case RuntimeCase::Folder:
        ASSERT_EQ(::mkdir(path.constData(), 0700), 0);
        ASSERT_EQ(::chmod(path.constData(), c.mode), 0); // past the umask
        if (c.othersOwn) {
            ASSERT_EQ(::chown(path.constData(), kOtherUser, kOtherUser), 0);
        }
        break;
    case RuntimeCase::File:
        ASSERT_TRUE(QFile(runtime).open(QIODevice::WriteOnly));
        break;
    case RuntimeCase::Link:
        ASSERT_EQ(::symlink(privateFolder.toLocal8Bit().constData(), path.constData()), 0);
        break;
    case RuntimeCase::Missing:
        break;
    case RuntimeCase::Relative:
        runtime_.set("run");
        break;
    }
    if (c.kind != RuntimeCase::Relative)
        runtime_.set(path.constData());

    const QString expected = c.trusted ? runtime : cache + "/Larchpost";
    EXPECT_EQ(QFileInfo(lp::instanceLockPath("Larchpost")).path(), expected);
    EXPECT_EQ(QFileInfo(lp::instanceSocketPath("Larchpost")).path(), expected);
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
    EXPECT_TRUE(QFile::exists(lp::instanceLockPath("Larchpost")));
    if (c.kind == RuntimeCase::Folder) { // a runtime folder is used as it is, never changed
        struct stat info {};
        ASSERT_EQ(::lstat(path.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.mode);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, RuntimeFolder,
    testing::Values(RuntimeCase{"Private", RuntimeCase::Folder, 0700, false, true},
                    RuntimeCase{"ReadableByOthers", RuntimeCase::Folder, 0755, false, true},
                    RuntimeCase{"WritableByAllSticky", RuntimeCase::Folder, 01777, false, false},
                    RuntimeCase{"WritableByGroup", RuntimeCase::Folder, 0770, false, false},
                    RuntimeCase{"WritableByOthers", RuntimeCase::Folder, 0703, false, false},
                    RuntimeCase{"OtherUsers", RuntimeCase::Folder, 0700, true, false},
                    RuntimeCase{"APlainFile", RuntimeCase::File, 0, false, false},
                    RuntimeCase{"ALinkToAPrivateFolder", RuntimeCase::Link, 0, false, false},
                    RuntimeCase{"Missing", RuntimeCase::Missing, 0, false, false},
                    RuntimeCase{"Relative", RuntimeCase::Relative, 0, false, false}),
    [](const testing::TestParamInfo<RuntimeCase>& p) { return std::string(p.param.name); });

// As the user nobody would meet it: a world-writable folder given as the runtime folder, with a
// lock file of another user's in it, under the name ours would have, that we may not open. Run
// without root's overrides, the guard goes to the user's own folder and holds the name there.
TEST_F(SingleInstanceTest, AForeignLockInAnOpenRuntimeFolderDoesNotKeepUsOut) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a lock file to another user";
    const QString own = dir.filePath("cache/Larchpost");
    cache_.set(dir.filePath("cache").toStdString());
    const QString open = dir.filePath("open");
    ASSERT_EQ(::mkdir(open.toLocal8Bit().constData(), 0700), 0);
    ASSERT_EQ(::chmod(open.toLocal8Bit().constData(), 01777), 0);
    runtime_.set(open.toStdString());
    const QString lockName = QFileInfo(lp::instanceLockPath("Larchpost")).fileName();
    const QByteArray foreign = (open + "/" + lockName).toLocal8Bit();
    const int fd = ::open(foreign.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::chown(foreign.constData(), kOtherUser, kOtherUser), 0);

    enum Outcome : long long { HeldInOwnFolder, HeldElsewhere, NotHeld, KeptOut, Refused };
    const auto check = [&] {
        try {
            if (lp::CheckAppAlreadyRunning("Larchpost", false, false))
                return KeptOut;
            lp::platform::ExclusiveFileLock other;
            const bool held = tryOther(other) == Attempt::HeldElsewhere;
            const bool inOwnFolder = QFileInfo(lp::instanceLockPath("Larchpost")).path() == own;
            lp::releaseInstanceGuard();
            return !held ? NotHeld : inOwnFolder ? HeldInOwnFolder : HeldElsewhere;
        } catch (const lp::InstanceGuardError&) {
            return Refused;
        }
    };
    const std::optional<long long> outcome = lp::test::runWithoutPermissionOverride(check);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome, HeldInOwnFolder);
    EXPECT_TRUE(QFile::exists(own + "/" + lockName));
    struct stat info {};
    ASSERT_EQ(::stat(foreign.constData(), &info), 0); // the other user's file is left as it was
    EXPECT_EQ(info.st_uid, kOtherUser);
    EXPECT_EQ(info.st_size, 0);
}

// Whatever stands in the lock file's place that is not a plain file of our own is refused, with a
// reason in words a user can act on.
struct LockFileCase {
    const char* name;
    enum Kind { OwnFile, OthersFile, Link, Fifo, Folder } kind;
    const char* reason; // nullptr: the lock is taken
};

void PrintTo(const LockFileCase& c, std::ostream* out) {
    *out << c.name;
}

class LockFilePlace : public SingleInstanceTest,
                      public testing::WithParamInterface<LockFileCase> {};

TEST_P(LockFilePlace, TakesOnlyAPlainFileOfOurOwn) {
    const LockFileCase& c = GetParam();
    if (c.kind == LockFileCase::OthersFile && ::geteuid() != 0)
        GTEST_SKIP() << "only root can give the lock file to another user";
    const QByteArray lock = lp::instanceLockPath("Larchpost").toLocal8Bit();
    const QByteArray target = dir.filePath("target").toLocal8Bit();
    const auto makeFile = [](const QByteArray& path) {
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        return fd >= 0 && ::close(fd) == 0;
    };
    switch (c.kind) {
    case LockFileCase::OwnFile:
        ASSERT_TRUE(makeFile(lock));
        break;
    case LockFileCase::OthersFile:
        ASSERT_TRUE(makeFile(lock));
        ASSERT_EQ(::chown(lock.constData(), kOtherUser, kOtherUser), 0);
        break;
    case LockFileCase::Link:
        ASSERT_TRUE(makeFile(target));
        ASSERT_EQ(::symlink(target.constData(), lock.constData()), 0);
        break;
    case LockFileCase::Fifo:
        ASSERT_EQ(::mkfifo(lock.constData(), 0600), 0);
        break;
    case LockFileCase::Folder:
        ASSERT_EQ(::mkdir(lock.constData(), 0700), 0);
        break;
    }
    if (c.reason == nullptr) {
        EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
        return;
    }
    try {
        lp::CheckAppAlreadyRunning("Larchpost", false, false);
        ADD_FAILURE() << "the lock was taken";
    } catch (const lp::InstanceGuardError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        EXPECT_NE(message.find(lock.toStdString()), std::string::npos) << message;
        EXPECT_EQ(message.find("CheckAppAlreadyRunning"), std::string::npos) << message;
    }
    struct stat info {};
    EXPECT_EQ(::stat(target.constData(), &info) == 0 ? info.st_size : 0, 0); // nothing written
}

INSTANTIATE_TEST_SUITE_P(
    Places, LockFilePlace,
    testing::Values(
        LockFileCase{"OurFile", LockFileCase::OwnFile, nullptr},
        LockFileCase{"AnotherUsersFile", LockFileCase::OthersFile, "belongs to another user"},
        LockFileCase{"ALinkToOurFile", LockFileCase::Link, "cannot open the lock file "},
        LockFileCase{"AFifo", LockFileCase::Fifo, "is not a plain file"},
        LockFileCase{"AFolder", LockFileCase::Folder, "cannot open the lock file "}),
    [](const testing::TestParamInfo<LockFileCase>& p) { return std::string(p.param.name); });

TEST_F(SingleInstanceTest, AnUnusableRuntimeFolderIsAnError) {
    // The lock file's place is a folder: the lock can never be created.
    ASSERT_TRUE(QDir().mkpath(lp::instanceLockPath("Larchpost")));
    EXPECT_THROW(lp::CheckAppAlreadyRunning("Larchpost", false, false), lp::InstanceGuardError);
}

} // namespace
