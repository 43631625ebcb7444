#include "desktop/single_instance.h"

#include "platform/instance_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// Each test gets its own runtime folder, so instances of other tests and users stay apart.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_RUNTIME_DIR");
        savedCache_ = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    }
    void TearDown() override {
        lp::setActivationHandler({});
        lp::releaseInstanceGuard();
        qputenv("XDG_RUNTIME_DIR", saved_);
        qputenv("XDG_CACHE_HOME", savedCache_);
    }

    static lp::platform::ExclusiveFileLock::Attempt
    tryOther(lp::platform::ExclusiveFileLock& lock) {
        return lock.tryLock(lp::instanceLockPath("Larchpost").toStdString());
    }

    QTemporaryDir dir;
    QByteArray saved_;
    QByteArray savedCache_;
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
    qunsetenv("XDG_RUNTIME_DIR");
    const QString cache = dir.filePath("cache");
    qputenv("XDG_CACHE_HOME", cache.toLocal8Bit());
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

TEST_F(SingleInstanceTest, AnUnusableRuntimeFolderIsAnError) {
    // The lock file's place is a folder: the lock can never be created.
    ASSERT_TRUE(QDir().mkpath(lp::instanceLockPath("Larchpost")));
    EXPECT_THROW(lp::CheckAppAlreadyRunning("Larchpost", false, false), lp::InstanceGuardError);
}

} // namespace
