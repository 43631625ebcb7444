#include "desktop/single_instance.h"

#include <QFile>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Each test gets its own runtime folder, so instances of other tests and users stay apart.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    }
    void TearDown() override {
        lp::setActivationHandler({});
        lp::releaseInstanceGuard();
        qputenv("XDG_RUNTIME_DIR", saved_);
    }

    QTemporaryDir dir;
    QByteArray saved_;
};

TEST_F(SingleInstanceTest, FirstHoldsTheNameUntilReleased) {
    EXPECT_TRUE(lp::instanceLockPath("Larchpost").startsWith(dir.path()));
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false));
    EXPECT_TRUE(QFile::exists(lp::instanceLockPath("Larchpost")));
    EXPECT_TRUE(QFile::exists(lp::instanceSocketPath("Larchpost")));

    // Anyone else trying the same lock now finds it held.
    QLockFile other(lp::instanceLockPath("Larchpost"));
    other.setStaleLockTime(0);
    EXPECT_FALSE(other.tryLock(0));

    lp::releaseInstanceGuard();
    EXPECT_TRUE(other.tryLock(0));
}

TEST_F(SingleInstanceTest, CloseAfterwardsLeavesTheNameFree) {
    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, true));
    EXPECT_FALSE(QFile::exists(lp::instanceLockPath("Larchpost")));
}

TEST_F(SingleInstanceTest, ALiveHolderMakesTheCheckTrue) {
    QLockFile holder(lp::instanceLockPath("Larchpost"));
    ASSERT_TRUE(holder.tryLock(0));
    EXPECT_TRUE(lp::CheckAppAlreadyRunning("Larchpost", true, false));
    EXPECT_TRUE(holder.isLocked()); // the check never takes a live lock over
}

TEST_F(SingleInstanceTest, AStaleLockOfADeadProcessIsTakenOver) {
    // A real lock file, then made to name a process that has ended.
    QByteArray content;
    {
        QLockFile probe(lp::instanceLockPath("Larchpost"));
        ASSERT_TRUE(probe.tryLock(0));
        QFile file(lp::instanceLockPath("Larchpost"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        content = file.readAll();
    }
    QProcess ended;
    ended.start("true", {});
    ASSERT_TRUE(ended.waitForFinished());
    const qint64 deadPid = ended.processId() != 0 ? ended.processId() : 999999;
    const qsizetype firstLineEnd = content.indexOf('\n');
    ASSERT_GT(firstLineEnd, 0);
    content = QByteArray::number(deadPid) + content.mid(firstLineEnd);
    QFile stale(lp::instanceLockPath("Larchpost"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(content);
    stale.close();

    EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", true, false));
}

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
