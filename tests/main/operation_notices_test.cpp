// Notifications of what the cycles did: a failure is told once, with its file and reason, as the
// options choose; every file sorted only when chosen; a click opens the Activity window on the
// entry's line. They go to the desktop's notification service, here a fake one on a bus of the
// test's own, and to the notification area's messages where no service answers.

#include "desktop/registry_settings.h"
#include "desktop/stored_options.h"
#include "engine/activity_log.h"
#include "engine/failure_reason.h"
#include "globals/app_globals.h"
#include "main/activity_window.h"
#include "main/mainwindow.h"
#include "main/operation_notices.h"
#include "main/tray_icon.h"
#include "support/scoped_config_home.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QItemSelectionModel>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

struct NoticeCase {
    const char* name;
    bool failed;
    bool notifyFailures;
    bool notifySorted;
    bool shown;
    std::string_view reason = "No space left on device"; // of a failure
};

class NoticeFixture : public testing::Test {
protected:
    void SetUp() override {
        lp::app().table = {};
        std::filesystem::remove_all(
            std::filesystem::path(lp::ActivityLog::DefaultPath()).parent_path());
    }
    void TearDown() override { window.reset(); }

    lp::test::ScopedConfigHome home;
    std::unique_ptr<lp::TfrmMain> window;
};

class OperationNotice : public NoticeFixture, public testing::WithParamInterface<NoticeCase> {};

lp::ActivityEntry moveOf(const std::string& file, bool failed,
                         std::string_view reason = "No space left on device") {
    lp::ActivityEntry e;
    e.time = "2026-12-09T09:12:33+01:00";
    e.folder = "Downloads";
    e.rule = "Music";
    e.action = "move";
    e.values = {"/home/u/Downloads/" + file, "/media/usb/Music/" + file};
    e.failed = failed;
    if (failed)
        e.reason = reason;
    else
        e.identity = lp::FileIdentity{1, 2, 3, 4};
    return e;
}

TEST_P(OperationNotice, TheOptionsChooseWhatIsToldAndAClickOpensTheLine) {
    const NoticeCase& c = GetParam();
    lp::StoredOptions options;
    options.notifyFailures = c.notifyFailures;
    options.notifyEverySorted = c.notifySorted;
    ASSERT_TRUE(lp::WriteStoredOptions(lp::settingsStore(), options));
    lp::ActivityLog log(lp::ActivityLog::DefaultPath());
    log.append(moveOf("before.flac", true)); // there before the start: no news
    window = std::make_unique<lp::TfrmMain>(lp::MonitorCycle{});
    auto* notices = window->findChild<lp::OperationNotices*>();
    ASSERT_NE(notices, nullptr);

    log.append(moveOf("older.flac", false));
    log.append(moveOf("song.flac", c.failed, c.reason));
    window->cycleEnded();
    ASSERT_EQ(notices->lastShown().has_value(), c.shown);
    if (!c.shown)
        return;
    EXPECT_EQ(notices->lastShown()->values, moveOf("song.flac", c.failed).values);
    const lp::NoticeText text = lp::noticeFor(*notices->lastShown());
    EXPECT_TRUE(text.title.contains("song.flac")) << text.title.toStdString();
    EXPECT_EQ(text.body.contains("No space left on device"), c.failed) << text.body.toStdString();

    emit window->tray->icon->messageClicked();
    auto* activity = window->findChild<lp::TfrmActivity*>();
    ASSERT_NE(activity, nullptr);
    const QModelIndexList rows = activity->tvActivity->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(activity->shownEntry(rows.front().row()).values, notices->lastShown()->values);
}

// A session bus of the test's own: a dbus-daemon that knows no services but those registered on
// it, so that none of the machine's is started.
class PrivateBus {
public:
    PrivateBus() {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty() || !dir_.isValid())
            return;
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\">"
                                  "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>"
                                  "</busconfig>")
                       .arg(dir_.path())
                       .toUtf8());
        file.close();
        daemon_.start(daemon, {QStringLiteral("--config-file=") + config,
                               QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted())
            return;
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead()) {
        }
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished();
    }

    bool running() const { return !address_.isEmpty(); }
    // A connection of its own, as another program would have.
    QDBusConnection connect(const QString& name) {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// The desktop's notification service as the test sees it: it records each notification asked for
// and answers with its number.
class FakeNotificationService : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QStringLiteral("Notify"))
            return false;
        notified.push_back(message.arguments());
        connection.send(message.createReply(QVariant::fromValue(uint(notified.size()))));
        return true;
    }

    std::vector<QVariantList> notified;
};

struct ServiceCase {
    const char* name;
    bool serviceThere;
};

class DesktopNotification : public NoticeFixture, public testing::WithParamInterface<ServiceCase> {
protected:
    void TearDown() override {
        window.reset();
        lp::setNotificationBusForTests(std::nullopt);
        lp::setTrayAvailableForTests(std::nullopt);
    }

    FakeNotificationService fake; // outlives the bus it is registered on
    PrivateBus bus;
};

TEST_P(DesktopNotification, AFailureIsToldOnceAndItsClickOpensTheLine) {
    if (!bus.running())
        GTEST_SKIP() << "dbus-daemon is not installed (scripts/setup installs it): no bus to test "
                        "the notifications on";
    QDBusConnection service = bus.connect(QStringLiteral("notification service"));
    if (!service.isConnected())
        GTEST_SKIP() << "the private bus takes no connection from this user (dbus-daemon looks "
                        "its groups up in the password database, which may not hold it)";
    const QString path = QStringLiteral("/org/freedesktop/Notifications");
    if (GetParam().serviceThere) {
        ASSERT_TRUE(service.registerVirtualObject(path, &fake));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    lp::setNotificationBusForTests(bus.connect(QStringLiteral("larchpost")));
    // The service shows notifications also without a notification area.
    lp::setTrayAvailableForTests(!GetParam().serviceThere);
    window = std::make_unique<lp::TfrmMain>(lp::MonitorCycle{});
    lp::ActivityLog log(lp::ActivityLog::DefaultPath());
    log.append(moveOf("song.flac", true));
    window->cycleEnded();
    window->cycleEnded(); // a cycle that found nothing new tells nothing again

    auto* notices = window->findChild<lp::OperationNotices*>();
    ASSERT_NE(notices, nullptr);
    bool clickedInTray = false;
    QObject::connect(notices, &lp::OperationNotices::entryClicked, [&] { clickedInTray = true; });
    if (GetParam().serviceThere) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !fake.notified.empty(); }));
        const QVariantList& call = fake.notified.front();
        ASSERT_EQ(call.size(), 8);
        EXPECT_TRUE(call[3].toString().contains("song.flac")) << call[3].toString().toStdString();
        EXPECT_TRUE(call[4].toString().contains("No space left on device"))
            << call[4].toString().toStdString();
        EXPECT_TRUE(call[5].toStringList().contains("default"));
        // Another program's notification, then ours.
        for (uint id : {7u, 1u})
            service.send(
                QDBusMessage::createSignal(path, "org.freedesktop.Notifications", "ActionInvoked")
                << id << QStringLiteral("default"));
    } else {
        // No answer from the bus: the message goes to the notification area instead.
        ASSERT_TRUE(QTest::qWaitFor([&] {
            emit window->tray->icon->messageClicked();
            return clickedInTray;
        }));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->findChild<lp::TfrmActivity*>(); }));
    auto* activity = window->findChild<lp::TfrmActivity*>();
    const QModelIndexList rows = activity->tvActivity->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(activity->shownEntry(rows.front().row()).values, moveOf("song.flac", true).values);
    EXPECT_EQ(fake.notified.size(), GetParam().serviceThere ? 1u : 0u) << "told once";
}

INSTANTIATE_TEST_SUITE_P(Services, DesktopNotification,
                         testing::Values(ServiceCase{"ServiceShowsIt", true},
                                         ServiceCase{"NoServiceTheTrayDoes", false}),
                         [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Options, OperationNotice,
    testing::Values(NoticeCase{"FailureByDefault", true, true, false, true},
                    NoticeCase{"FailuresOff", true, false, false, false},
                    NoticeCase{"SortedFileByDefault", false, true, false, false},
                    NoticeCase{"EverySortedFileChosen", false, true, true, true},
                    // A copy stopped as the user asked is in the log, but no failure to tell.
                    NoticeCase{"AStopAskedForIsNoFailure", true, true, false, false,
                               lp::kStoppedAtEnd}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
