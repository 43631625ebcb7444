#include "desktop/single_instance.h"

#include "platform/instance_lock.h"
#include "platform/posix/instance_folder.h"
#include "without_permission_override.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Attempt = lp::platform::ExclusiveFileLock::Attempt;

// Each test gets a guard folder of its own, so that no test meets the real user's guard, nor
// another test's.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(lp::platform::MakePrivateFolder(folder().toStdString())); }
    void TearDown() override {
        lp::setActivationHandler({});
        lp::releaseInstanceGuard();
    }

    QString lockPath() const { return lp::instanceLockPath(folder(), "Larchpost"); }
    QString socketPath() const { return lp::instanceSocketPath(folder(), "Larchpost"); }
    // Whether another instance holds the name; a guard that cannot be set up fails the test.
    bool running(bool activatePrevious, bool closeAfterwards, const QString& name = "Larchpost") {
        bool heldElsewhere = false;
        const lp::Problem problem = lp::CheckAppAlreadyRunning(
            name, activatePrevious, closeAfterwards, heldElsewhere, folder());
        EXPECT_FALSE(problem) << problem.value_or("");
        return heldElsewhere;
    }
    // Why the guard could not be set up; nothing when it was.
    lp::Problem refusal() {
        bool heldElsewhere = false;
        lp::Problem problem =
            lp::CheckAppAlreadyRunning("Larchpost", false, false, heldElsewhere, folder());
        EXPECT_FALSE(heldElsewhere && problem) << "both held elsewhere and refused";
        return problem;
    }
    Attempt tryOther(lp::platform::ExclusiveFileLock& lock) const {
        return lock.tryLock(lockPath().toStdString());
    }
    virtual QString folder() const { return dir.filePath("guard"); }

    QTemporaryDir dir;
};

TEST_F(SingleInstanceTest, FirstHoldsTheNameUntilReleased) {
    EXPECT_TRUE(lockPath().startsWith(folder() + "/"));
    EXPECT_FALSE(running(false, false));
    EXPECT_TRUE(QFile::exists(lockPath()));
    EXPECT_TRUE(QFile::exists(socketPath()));

    // Anyone else trying the same lock now finds it held.
    lp::platform::ExclusiveFileLock other;
    EXPECT_EQ(tryOther(other), Attempt::HeldElsewhere);

    lp::releaseInstanceGuard();
    EXPECT_EQ(tryOther(other), Attempt::Taken);
}

TEST_F(SingleInstanceTest, CloseAfterwardsLeavesTheNameFree) {
    EXPECT_FALSE(running(false, true));
    EXPECT_FALSE(running(false, true));
    lp::platform::ExclusiveFileLock other;
    EXPECT_EQ(tryOther(other), Attempt::Taken);
}

TEST_F(SingleInstanceTest, ALiveHolderMakesTheCheckTrue) {
    lp::platform::ExclusiveFileLock holder;
    ASSERT_EQ(tryOther(holder), Attempt::Taken);
    EXPECT_TRUE(running(true, false));
    EXPECT_TRUE(holder.held()); // the check never takes a live lock over
}

// Another process holds the lock (the system's flock, as flock(1) takes it) and is killed at
// some moment of its life: while it lives the name is held, after its death it is free at once,
// whatever it left in the file. An empty lock file, as a start killed early leaves, included.
TEST_F(SingleInstanceTest, AHolderKilledAtAnyMomentNeverBlocksALaterStart) {
    const QString path = lockPath();
    for (int moment = 0; moment < 12; ++moment) {
        SCOPED_TRACE(moment);
        QProcess holder;
        // A group of its own, so that a kill also reaches flock(1) while it is still running (it
        // shares the shell's open file, and with it the lock).
        holder.setChildProcessModifier([] { ::setpgid(0, 0); });
        // The shell opens the file, flock(1) locks it, and the shell becomes the sleeper that
        // holds it.
        holder.start("sh", {"-c", "exec 9>>\"$0\" && flock --nonblock 9 && exec sleep 600", path});
        ASSERT_TRUE(holder.waitForStarted());
        if (moment % 2 == 1) {
            // Wait until it holds the lock, then check that it counts.
            ASSERT_TRUE(QTest::qWaitFor([this] { return running(false, true); }));
        }
        QTest::qWait(moment / 2); // killed at varying points of its start
        const auto group = static_cast<pid_t>(holder.processId());
        ::kill(-group, SIGKILL);
        ASSERT_TRUE(holder.waitForFinished());
        // The killed flock(1) may still be on its way out for a moment; then the name is free.
        EXPECT_TRUE(QTest::qWaitFor([this] { return !running(false, true); }, 10000));
    }
    QFile empty(path);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly | QIODevice::Truncate));
    empty.close();
    EXPECT_FALSE(running(false, false));
}

// A folder of the user's own is made for the lock, or narrowed, to mode 0700: never one that other
// users may write (where they could take the lock first).
struct OwnFolderCase {
    const char* name;
    bool folderThere;
    QFile::Permissions before;
};

class OwnFolder : public SingleInstanceTest, public testing::WithParamInterface<OwnFolderCase> {
protected:
    void SetUp() override {} // the guard makes the folder itself
    QString folder() const override { return dir.filePath("cache/Larchpost"); }
};

TEST_P(OwnFolder, IsMadeTheUsersOwnWithMode0700) {
    if (GetParam().folderThere) {
        ASSERT_TRUE(QDir().mkpath(folder()));
        ASSERT_TRUE(QFile::setPermissions(folder(), GetParam().before));
    }
    EXPECT_FALSE(running(false, false));
    struct stat info {};
    ASSERT_EQ(::stat(folder().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_TRUE(QFile::exists(lockPath()));
    EXPECT_TRUE(running(false, false));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, OwnFolder,
    testing::Values(OwnFolderCase{"Created", false, {}},
                    OwnFolderCase{"OpenToOthers", true,
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther}),
    [](const testing::TestParamInfo<OwnFolderCase>& p) { return std::string(p.param.name); });

TEST_F(SingleInstanceTest, OnlyTheComeForwardRequestActivates) {
    int activations = 0;
    lp::setActivationHandler([&] { ++activations; });
    ASSERT_FALSE(running(false, false));

    const QByteArray requests[] = {"hello\n", QByteArray(5000, 'x'), "come-forward\n"};
    for (const QByteArray& request : requests) {
        QLocalSocket client;
        client.connectToServer(socketPath());
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
    ASSERT_FALSE(running(true, false));
    // This process holds the name, so asking again plays the second instance.
    EXPECT_TRUE(running(true, false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }));
    // Another name is held independently.
    EXPECT_FALSE(running(false, true, "Other"));
}

// An owner other than us is the user nobody.
constexpr uid_t kOtherUser = 65534;

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
    const QByteArray lock = lockPath().toLocal8Bit();
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
        EXPECT_FALSE(running(false, false));
        return;
    }
    const lp::Problem problem = refusal();
    ASSERT_TRUE(problem) << "the lock was taken";
    const std::string& message = *problem;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    EXPECT_NE(message.find(lock.toStdString()), std::string::npos) << message;
    EXPECT_EQ(message.find("CheckAppAlreadyRunning"), std::string::npos) << message;
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

// As the user nobody would meet it: the user's runtime folder is open to everyone, and another
// user's lock file stands in it under the name ours would have, one we may not open. Run without
// root's overrides, the guard goes to the user's own folder in the home and holds the name there.
TEST_F(SingleInstanceTest, AForeignLockInAnOpenRuntimeFolderDoesNotKeepUsOut) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a lock file to another user";
    const uid_t user = ::geteuid();
    const QString runtimeFolders = dir.filePath("run-user");
    const QString open = runtimeFolders + "/" + QString::number(user);
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_EQ(::chmod(open.toLocal8Bit().constData(), 01777), 0);
    const QByteArray foreign = lp::instanceLockPath(open, "Larchpost").toLocal8Bit();
    const int fd = ::open(foreign.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    ASSERT_EQ(::chown(foreign.constData(), kOtherUser, kOtherUser), 0);

    const QString home = dir.filePath("home");
    const std::vector<std::string> folders = lp::platform::posix::InstanceGuardFoldersFrom(
        runtimeFolders.toStdString(), home.toStdString(), user);
    ASSERT_EQ(folders, std::vector<std::string>{(home + "/.cache/Larchpost").toStdString()});
    const QString chosen = QString::fromStdString(folders.front());
    enum Outcome : long long { HeldThere, NotHeld, KeptOut, Refused };
    const auto check = [&] {
        bool heldElsewhere = false;
        if (lp::CheckAppAlreadyRunning("Larchpost", false, false, heldElsewhere, chosen))
            return Refused;
        if (heldElsewhere)
            return KeptOut;
        lp::platform::ExclusiveFileLock other;
        const bool held = other.tryLock(lp::instanceLockPath(chosen, "Larchpost").toStdString()) ==
                          Attempt::HeldElsewhere;
        lp::releaseInstanceGuard();
        return held ? HeldThere : NotHeld;
    };
    const std::optional<long long> outcome = lp::test::runWithoutPermissionOverride(check);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome, HeldThere);
    struct stat info {};
    ASSERT_EQ(::stat(foreign.constData(), &info), 0); // the other user's file is left as it was
    EXPECT_EQ(info.st_uid, kOtherUser);
    EXPECT_EQ(info.st_size, 0);
}

// One guard per user whatever the moment each instance started: one started before the runtime
// folder existed (cron before log-in) holds the home's folder alone, one started after holds both,
// and each keeps the other out. A home that cannot hold the lock leaves the runtime folder alone
// to serve.
TEST_F(SingleInstanceTest, InstancesStartedBeforeAndAfterTheRuntimeFolderMeet) {
    const QString home = dir.filePath("home/.cache/Larchpost");
    const QString runtime = dir.filePath("run/user");
    const QString unusable = dir.filePath("file-home/.cache/Larchpost"); // a file stands there
    ASSERT_TRUE(QDir().mkpath(dir.filePath("file-home/.cache")));
    QFile(unusable).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    struct Case {
        const char* what;
        QStringList first, second;
        bool keptOut;
    };
    const Case cases[] = {
        {"before log-in, then after", {home}, {home, runtime}, true},
        {"after log-in, then before", {home, runtime}, {home}, true},
        {"both after log-in", {home, runtime}, {home, runtime}, true},
        {"a home that cannot hold the lock, after log-in",
         {unusable, runtime},
         {unusable, runtime},
         true},
        {"guards of different users", {home}, {runtime}, false},
    };
    for (const Case& c : cases) {
        bool heldElsewhere = true;
        ASSERT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, false, heldElsewhere, c.first))
            << c.what;
        ASSERT_FALSE(heldElsewhere) << c.what;
        EXPECT_FALSE(lp::CheckAppAlreadyRunning("Larchpost", false, true, heldElsewhere, c.second))
            << c.what;
        EXPECT_EQ(heldElsewhere, c.keptOut) << c.what;
        lp::releaseInstanceGuard();
    }
    bool heldElsewhere = true;
    EXPECT_TRUE(
        lp::CheckAppAlreadyRunning("Larchpost", false, true, heldElsewhere, QStringList{unusable}))
        << "no folder that can serve";
    EXPECT_FALSE(heldElsewhere);
}

TEST_F(SingleInstanceTest, AnUnusableRuntimeFolderIsAnError) {
    // The lock file's place is a folder: the lock can never be created.
    ASSERT_TRUE(QDir().mkpath(lockPath()));
    EXPECT_TRUE(refusal());
}

} // namespace
