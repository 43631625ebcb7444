// The main window's life in the tray: the icon and its menu, close requests in each window state,
// exit, and the end of the session, checked through the stored settings.

#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "desktop/stored_options.h"
#include "engine/activity_log.h"
#include "engine/failure_reason.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "globals/app_globals.h"
#include "main/activity_table.h"
#include "main/activity_window.h"
#include "main/desktop_app.h"
#include "main/exit_wait.h"
#include "main/mainwindow.h"
#include "main/operation_notices.h"
#include "main/tray_icon.h"
#include "platform/copy_watch.h"
#include "support/rule_action.h"
#include "support/scoped_config_home.h"
#include "support/scoped_variable.h"
#include "widgets/check_list_box.h"
#include "widgets/ui_seams.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> captions(const QMenu& menu) {
    std::vector<std::string> out;
    for (const QAction* action : menu.actions())
        out.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return out;
}

class TrayLifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        lp::app().table = {};
        lp::app().registry = {};
        lp::app().visibleCount = 1;
        lp::app().configPath = dir.filePath("bxconf.ini").toStdString();
        lp::setTrayAvailableForTests(true);
        lp::setWarningHook([this](const lp::WarningShown& w) { warnings.push_back(w.text); });
    }
    void TearDown() override {
        window.reset();
        lp::setWarningHook({});
        lp::setTrayAvailableForTests(std::nullopt);
        lp::app().registry = {};
        lp::app().visibleCount = 0;
    }

    lp::TfrmMain& open() {
        window = std::make_unique<lp::TfrmMain>([this](lp::ServiceTable&, bool) { ++cycles; });
        cycles = 0; // the folders' first listing, taken at start, is no cycle of the timer's
        ends = std::make_unique<QSignalSpy>(window.get(), &lp::TfrmMain::endRequested);
        return *window;
    }
    lp::TfrmMain& openShown() {
        lp::TfrmMain& w = open();
        w.show();
        w.move(120, 80);
        return w;
    }

    // The settings as another start of the program would read them.
    lp::RegistrySettings stored() const {
        const lp::RegistrySettings kept = lp::app().registry;
        lp::app().registry = {0, -1, -1, -1, -1, -1};
        lp::useSettingsFile(home.settingsPath().toStdString());
        lp::ReadSettings();
        const lp::RegistrySettings read = lp::app().registry;
        lp::app().registry = kept;
        return read;
    }
    bool settingsWritten() const { return QFile::exists(home.settingsPath()); }

    // Points the settings at a file that cannot be written: its folder is a plain file.
    void blockSettings() {
        QFile blocker(dir.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        lp::useSettingsFile(dir.filePath("blocker/settings.ini").toStdString());
    }

    lp::test::ScopedConfigHome home;
    QTemporaryDir dir;
    std::unique_ptr<lp::TfrmMain> window;
    std::unique_ptr<QSignalSpy> ends;
    std::vector<QString> warnings;
    int cycles = 0;
};

TEST_F(TrayLifecycle, CreationAddsTheIconWithItsTipAndMenuAlsoWhenHidden) {
    lp::TfrmMain& w = open(); // never shown, as in a hidden start
    EXPECT_FALSE(w.isVisible());
    ASSERT_NE(w.tray, nullptr);
    EXPECT_TRUE(w.tray->icon->isVisible());
    EXPECT_EQ(w.tray->icon->toolTip(), "Larchpost");
    EXPECT_EQ(w.tray->icon->contextMenu(), w.tray->PopupMenu1);
    auto* menu = w.findChild<QMenu*>("PopupMenu1");
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(captions(*menu), (std::vector<std::string>{"View Larchpost Window", "Activity...",
                                                         "Pause Sorting", "-", "Exit Larchpost"}));
    // The program's own icon, drawn in the sizes a tray and a title bar use.
    for (const QIcon& icon : {w.windowIcon(), w.tray->icon->icon()}) {
        const QList<QSize> sizes = icon.availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)));
    }
    EXPECT_TRUE(w.Timer1->isActive());
}

struct CloseCase {
    const char* name;
    Qt::WindowState state;
    bool geometryStored;
    std::int32_t status;
};

class CloseRequest : public TrayLifecycle, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseRequest, HidesAndStoresTheStateByTheWindowsState) {
    const CloseCase& c = GetParam();
    lp::TfrmMain& w = openShown();
    // Earlier values that a maximised or minimised window must leave alone.
    lp::app().registry = {true, 0, 301, 302, 303, 304};
    w.setWindowState(c.state);
    EXPECT_FALSE(w.close()) << "the close box only hides";

    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(lp::app().visibleCount, 0);
    EXPECT_EQ(ends->count(), 0) << "the program goes on";
    EXPECT_TRUE(w.Timer1->isActive());
    if (c.state == Qt::WindowMinimized) {
        EXPECT_FALSE(settingsWritten());
        return;
    }
    const lp::RegistrySettings r = stored();
    EXPECT_EQ(r.Status, c.status);
    if (c.geometryStored) {
        EXPECT_EQ(r.Left, 120);
        EXPECT_EQ(r.Top, 80);
        EXPECT_EQ(r.Width, w.frameGeometry().width());
        EXPECT_EQ(r.Height, w.frameGeometry().height());
    } else {
        EXPECT_EQ(r.Height, 301);
        EXPECT_EQ(r.Width, 302);
        EXPECT_EQ(r.Left, 303);
        EXPECT_EQ(r.Top, 304);
    }
    EXPECT_TRUE(warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(States, CloseRequest,
                         testing::Values(CloseCase{"Normal", Qt::WindowNoState, true, 0},
                                         CloseCase{"Maximised", Qt::WindowMaximized, false, 1},
                                         CloseCase{"Minimised", Qt::WindowMinimized, false, 0}),
                         [](const testing::TestParamInfo<CloseCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(TrayLifecycle, WithoutATrayTheCloseBoxEndsTheProgramAfterStoringTheState) {
    lp::setTrayAvailableForTests(false);
    lp::TfrmMain& w = openShown();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(ends->count(), 1);
    EXPECT_EQ(lp::app().visibleCount, 1); // not hidden to a tray that is not there
    EXPECT_EQ(stored().Left, 120);
}

TEST_F(TrayLifecycle, ASettingsFileThatCannotBeWrittenKeepsTheWindowShown) {
    lp::TfrmMain& w = openShown();
    blockSettings();
    EXPECT_FALSE(w.close());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].startsWith("Unable to write the settings file "))
        << warnings[0].toStdString();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(lp::app().visibleCount, 1);
    EXPECT_EQ(ends->count(), 0);
}

TEST_F(TrayLifecycle, ExitStoresThePositionInAnyStateAndEnds) {
    lp::TfrmMain& w = openShown();
    lp::app().registry = {true, 0, 301, 302, 303, 304};
    w.setWindowState(Qt::WindowMinimized);
    w.tray->ExitBrindlebox1->trigger();
    EXPECT_EQ(ends->count(), 1);
    const lp::RegistrySettings r = stored();
    EXPECT_EQ(r.Left, 120);
    EXPECT_EQ(r.Top, 80);
    EXPECT_EQ(r.Width, w.frameGeometry().width());
    EXPECT_EQ(lp::app().visibleCount, 1); // no close request was made
}

TEST_F(TrayLifecycle, ExitEndsTheEventLoopWhileTheWindowIsShown) {
    lp::TfrmMain& w = openShown();
    lp::endProgramOnRequest(w);
    QTimer::singleShot(0, &w, [&w] { w.tray->ExitBrindlebox1->trigger(); });
    // Only a guard against a loop that the exit did not end; it ends it with another status.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(60000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(w.isVisible()) << "the window was not asked to close, so it did not hide";
}

// "Exit Larchpost" during a long copy, or the close box of a window without a tray: a window says
// what is being finished; the program ends when the copy is done, or at once when the user stops
// it, the copy then failing as stopped, which is logged but told as no failure.
struct ExitDuringCopyCase {
    const char* name;
    bool stop;
    bool closeBoxWithoutTray = false;
};

class ExitDuringCopy : public TrayLifecycle,
                       public testing::WithParamInterface<ExitDuringCopyCase> {};

TEST_P(ExitDuringCopy, SaysWhatItFinishesAndEndsWhenItIsDoneOrStopped) {
    std::atomic<bool> release = false;
    std::atomic<bool> stopped = false;
    // A copy that goes on until the test lets it end, or until it is stopped.
    const lp::MonitorCycle copying = [&](lp::ServiceTable&, bool first) {
        if (first)
            return;
        // A failure earlier in the cycle: told as the copy begins, not once the cycle ends.
        lp::ActivityEntry failed;
        failed.time = "2026-12-09T09:12:33+01:00";
        failed.folder = "Inbox";
        failed.rule = "Sort";
        failed.action = "move";
        failed.values = {"/watched/demo.flac", "/media/usb/Music/demo.flac"};
        failed.failed = true;
        failed.reason = "the destination folder is missing";
        lp::ActivityLog(lp::ActivityLog::DefaultPath()).append(failed);
        const std::string source = "/watched/song.flac";
        const std::string destination = "/media/usb/Music/song.flac";
        lp::platform::CopiesDoneFor("Inbox", "Music");
        lp::platform::CopyUnderWay copy(source, destination, false);
        for (std::uint64_t done = 0; !release; done = (done + 1) % 100) {
            if (!lp::platform::CopyGoesOn(done, 100)) {
                stopped = true;
                // Logged as the cycle logs a stopped copy.
                lp::ActivityEntry line = failed;
                line.rule = "Music";
                line.action = "copy";
                line.values = {source, destination};
                line.reason = lp::kStoppedAtEnd;
                lp::ActivityLog(lp::ActivityLog::DefaultPath()).append(line);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    };
    // The program notes the stopped copy in the user's state folder: here, the test's.
    lp::test::ScopedVariable state{"XDG_STATE_HOME", dir.path().toLocal8Bit().constData()};
    const bool closeBox = GetParam().closeBoxWithoutTray;
    lp::setTrayAvailableForTests(!closeBox);
    window = std::make_unique<lp::TfrmMain>(copying, lp::CycleThread::Mode::OwnThread);
    // However the test ends, the copy ends and the window goes before what the copy reads.
    const auto letGo = qScopeGuard([&] {
        release = true;
        ends.reset();
        window.reset();
    });
    ends = std::make_unique<QSignalSpy>(window.get(), &lp::TfrmMain::endRequested);
    lp::TfrmMain& w = *window;
    QSignalSpy ended(w.cycles, &lp::CycleThread::cycleEnded);
    ASSERT_TRUE(ended.wait()) << "the first listing";
    QSignalSpy told(w.cycles, &lp::CycleThread::progress);
    w.Timer1Timer();
    ASSERT_TRUE(told.wait(60000)) << "the copy tells its progress";
    auto* notices = w.findChild<lp::OperationNotices*>();
    ASSERT_NE(notices, nullptr);
    ASSERT_TRUE(notices->lastShown().has_value()) << "the failure before the copy is told";
    EXPECT_EQ(notices->lastShown()->values.front(), "/watched/demo.flac");
    w.Activity1Click();
    auto* activity = w.findChild<lp::TfrmActivity*>();
    ASSERT_NE(activity, nullptr);
    // The copy under way is the top row, above the lines of the log.
    ASSERT_EQ(activity->shownRows(), 2);
    const QAbstractItemModel& rows = *activity->tvActivity->model();
    EXPECT_EQ(rows.index(0, lp::ActivityTableModel::File).data().toString(),
              QStringLiteral("/watched/song.flac"));
    EXPECT_EQ(rows.index(0, lp::ActivityTableModel::Folder).data().toString(),
              QStringLiteral("Inbox"));
    EXPECT_EQ(rows.index(0, lp::ActivityTableModel::Rule).data().toString(),
              QStringLiteral("Music"));
    const QString action = rows.index(0, lp::ActivityTableModel::Action).data().toString();
    EXPECT_TRUE(action.startsWith(QStringLiteral("Copying: "))) << action.toStdString();
    EXPECT_TRUE(
        rows.index(0, 0)
            .data(Qt::ToolTipRole)
            .toString()
            .startsWith(QStringLiteral("In progress: Copying song.flac to /media/usb/Music: ")));

    if (closeBox) {
        w.show();
        EXPECT_FALSE(w.close()) << "the window goes, the program stays until the copy is done";
        EXPECT_FALSE(w.isVisible());
    } else {
        w.tray->ExitBrindlebox1->trigger();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ends->count(), 0) << "the program waits for the copy";
    auto* wait = w.findChild<lp::ExitWait*>();
    ASSERT_NE(wait, nullptr);
    EXPECT_TRUE(wait->isVisible());
    auto* progress = wait->findChild<QLabel*>(QStringLiteral("progress"));
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(
        progress->text().startsWith(QStringLiteral("Copying song.flac to /media/usb/Music: ")))
        << progress->text().toStdString();
    wait->reject(); // closing the window is no way out
    EXPECT_TRUE(wait->isVisible());

    if (GetParam().stop) {
        QPushButton* stop = nullptr;
        for (QPushButton* button : wait->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("&Stop"))
                stop = button;
        ASSERT_NE(stop, nullptr);
        stop->click();
    } else {
        release = true;
    }
    ASSERT_TRUE(ends->wait(60000));
    EXPECT_EQ(ends->count(), 1);
    EXPECT_EQ(stopped.load(), GetParam().stop);
    EXPECT_EQ(std::filesystem::exists(dir.filePath("Larchpost/stopped-files").toStdString()),
              GetParam().stop)
        << "a stopped copy is tried again at the next start";
    EXPECT_FALSE(wait->isVisible());
    for (int row = 0; row < activity->shownRows(); ++row)
        EXPECT_FALSE(rows.index(row, lp::ActivityTableModel::Action)
                         .data()
                         .toString()
                         .startsWith(QStringLiteral("Copying: ")))
            << "the operation has ended";
    EXPECT_EQ(notices->lastShown()->values.front(), "/watched/demo.flac")
        << "a stop the user asked for is no failure to tell";
    w.Timer1Timer();
    EXPECT_FALSE(w.cycles->running()) << "no cycle starts after the exit";
    window.reset();
}

INSTANTIATE_TEST_SUITE_P(
    Ways, ExitDuringCopy,
    testing::Values(ExitDuringCopyCase{"Finished", false}, ExitDuringCopyCase{"Stopped", true},
                    ExitDuringCopyCase{"ClosedWithoutTrayFinished", false, true},
                    ExitDuringCopyCase{"ClosedWithoutTrayStopped", true, true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(TrayLifecycle, ExitEndsEvenWhenThePositionCannotBeKept) {
    open();
    blockSettings();
    window->ExitBrindlebox1Click();
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(ends->count(), 1);
}

TEST_F(TrayLifecycle, TheIconsClickTogglesTheWindowAndItsDoubleClickAndMenuEntryShowIt) {
    using Reason = QSystemTrayIcon::ActivationReason;
    const struct {
        const char* what;
        bool shownBefore;
        std::vector<Reason> reasons; // a double click comes after the click it began with
        bool shownAfter;
    } cases[] = {
        {"a click shows a hidden window", false, {QSystemTrayIcon::Trigger}, true},
        {"a click hides a shown window", true, {QSystemTrayIcon::Trigger}, false},
        {"a double click on a hidden window",
         false,
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick},
         true},
        {"a double click on a shown window",
         true,
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick},
         true},
        {"the context menu's opening leaves it", false, {QSystemTrayIcon::Context}, false},
    };
    lp::TfrmMain& w = open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        lp::app().visibleCount = 0; // a hidden start
        w.hide();
        if (c.shownBefore)
            w.Details1Click();
        for (Reason reason : c.reasons)
            w.tray->IconTray(reason);
        EXPECT_EQ(w.isVisible(), c.shownAfter);
        EXPECT_EQ(lp::app().visibleCount, c.shownAfter ? 1 : 0);
        if (c.shownAfter) {
            EXPECT_FALSE(w.isMinimized());
        }
    }

    w.Details1Click();
    w.close();
    EXPECT_FALSE(w.isVisible());
    w.setWindowState(Qt::WindowMinimized);
    w.tray->ViewBrindleboxWindow1->trigger();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.isMinimized()) << "shown in its normal state";
    EXPECT_EQ(lp::app().visibleCount, 1);
}

// The session manager's save request comes for a checkpoint and for a log-out that may still be
// cancelled, not only at the real end: it stores the window's state and nothing else.
struct SaveRequestCase {
    const char* name;
    bool shown;
};

class SaveRequest : public TrayLifecycle, public testing::WithParamInterface<SaveRequestCase> {};

TEST_P(SaveRequest, StoresThePlaceAndLeavesWindowTimerAndCloseBoxAlone) {
    lp::TfrmMain& w = GetParam().shown ? openShown() : open();
    if (!GetParam().shown)
        w.move(120, 80);
    w.WMQUERYENDSESSION();
    EXPECT_EQ(stored().Left, 120);
    EXPECT_EQ(stored().Top, 80);
    EXPECT_EQ(w.isVisible(), GetParam().shown);
    EXPECT_FALSE(w.quitting());
    EXPECT_TRUE(w.Timer1->isActive());
    w.Timer1Timer();
    EXPECT_EQ(cycles, 1) << "monitoring goes on";
    EXPECT_TRUE(w.Timer1->isActive());
    if (GetParam().shown) {
        EXPECT_FALSE(w.close()) << "the close box still only hides";
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(ends->count(), 0);
    EXPECT_TRUE(warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Windows, SaveRequest,
                         testing::Values(SaveRequestCase{"Shown", true},
                                         SaveRequestCase{"HiddenInTheTray", false}),
                         [](const testing::TestParamInfo<SaveRequestCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(TrayLifecycle, ASaveRequestThatCannotStoreAsksNobody) {
    lp::TfrmMain& w = openShown();
    blockSettings();
    w.WMQUERYENDSESSION();
    EXPECT_TRUE(warnings.empty()) << "the session manager waits while a box is open";
    EXPECT_TRUE(w.isVisible());
}

TEST_F(TrayLifecycle, AQuitRequestStopsTheTimerForGoodAndClosesTheWindow) {
    lp::TfrmMain& w = openShown();
    // What the session manager's end of the session turns into, arriving in the running loop.
    QTimer::singleShot(0, &w, [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    });
    // Only a guard against a loop that the request did not end; it ends it with another status.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(60000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(w.quitting());
    EXPECT_FALSE(w.Timer1->isActive());
    EXPECT_EQ(ends->count(), 1) << "the close request that came with it really closed";
    EXPECT_EQ(stored().Left, 120);

    w.Timer1Timer(); // a tick already on its way
    EXPECT_EQ(cycles, 0);
    EXPECT_FALSE(w.Timer1->isActive());
}

// A dialog open over the main window does not block the tray menu: its entries are chosen with
// the mouse while the dialog's own loop runs.
struct TrayWithDialogCase {
    const char* name;
    const char* entry;
    bool dialogStaysOpen;
};

class TrayWithDialog : public TrayLifecycle,
                       public testing::WithParamInterface<TrayWithDialogCase> {};

TEST_P(TrayWithDialog, TheMenuWorksAndActsOnWindowAndDialog) {
    const TrayWithDialogCase& c = GetParam();
    lp::TfrmMain& w = openShown();
    QDialog dialog(&w);
    QWidget other; // covers both
    bool dialogOpen = false;
    bool dialogActive = false;
    QTimer::singleShot(0, &dialog, [&] {
        other.show();
        other.activateWindow();
        QMenu* menu = w.tray->PopupMenu1;
        menu->popup(QPoint(300, 300));
        QAction* entry = menu->findChild<QAction*>(QString::fromLatin1(c.entry));
        ASSERT_NE(entry, nullptr);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
        QTest::qWait(20); // let a queued end of the loop come first, if any
        dialogOpen = dialog.isVisible();
        dialogActive = QApplication::activeWindow() == &dialog;
        dialog.reject();
    });
    QTimer::singleShot(30000, &dialog, &QDialog::reject); // only a guard against a hang
    EXPECT_EQ(lp::runModal(dialog), QDialog::Rejected);
    EXPECT_EQ(dialogOpen, c.dialogStaysOpen);
    if (c.dialogStaysOpen) {
        EXPECT_TRUE(dialogActive) << "the dialog comes forward above the window";
        EXPECT_EQ(ends->count(), 0);
    } else {
        EXPECT_EQ(ends->count(), 1);
        EXPECT_EQ(stored().Left, 120);
    }
    EXPECT_TRUE(w.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Entries, TrayWithDialog,
                         testing::Values(TrayWithDialogCase{"View", "ViewBrindleboxWindow1", true},
                                         TrayWithDialogCase{"Exit", "ExitBrindlebox1", false}),
                         [](const testing::TestParamInfo<TrayWithDialogCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(TrayLifecycle, ExitClosesNestedDialogsAsCancelWould) {
    lp::TfrmMain& w = openShown();
    QDialog outer(&w);
    QDialog inner(&outer);
    int innerResult = -1;
    QTimer::singleShot(0, &outer, [&] {
        QTimer::singleShot(0, &inner, [&] { w.tray->ExitBrindlebox1->trigger(); });
        QTimer::singleShot(30000, &inner, &QDialog::accept); // only a guard against a hang
        innerResult = lp::runModal(inner);
    });
    QTimer::singleShot(30000, &outer, &QDialog::accept);
    EXPECT_EQ(lp::runModal(outer), QDialog::Rejected);
    EXPECT_EQ(innerResult, QDialog::Rejected);
    EXPECT_EQ(ends->count(), 1);
}

// A later start brings the first instance's window forward, whatever covers or shrinks it; a
// window hidden in the tray stays there.
struct ComeForwardCase {
    const char* name;
    Qt::WindowState state;
    bool hidden;
};

class ComeForward : public TrayLifecycle, public testing::WithParamInterface<ComeForwardCase> {};

TEST_P(ComeForward, RaisesAndActivatesAShownWindow) {
    const ComeForwardCase& c = GetParam();
    lp::TfrmMain& w = openShown();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    if (c.hidden)
        w.close();
    w.setWindowState(c.state);
    w.comeForward();
    EXPECT_EQ(w.isVisible(), !c.hidden);
    if (c.hidden)
        return;
    EXPECT_FALSE(w.isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w; }));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ComeForward,
    testing::Values(ComeForwardCase{"Covered", Qt::WindowNoState, false},
                    ComeForwardCase{"Minimised", Qt::WindowMinimized, false},
                    ComeForwardCase{"HiddenInTheTray", Qt::WindowNoState, true}),
    [](const testing::TestParamInfo<ComeForwardCase>& p) { return std::string(p.param.name); });

TEST_F(TrayLifecycle, FileCloseIsACloseRequest) {
    lp::TfrmMain& w = openShown();
    w.menus.Close1->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(ends->count(), 0);
    EXPECT_EQ(stored().Top, 80);
}

// Pause: no cycle runs while it is on, the tip says so, and the next start finds it as it was
// left, until it is switched off again.
TEST_F(TrayLifecycle, PauseStopsTheCyclesAndIsKeptAcrossARestart) {
    struct Step {
        bool pausedAtStart;
        bool pauseAfter;
        const char* tip;
    };
    const Step steps[] = {{false, true, "Larchpost (paused)"},
                          {true, true, "Larchpost (paused)"},
                          {true, false, "Larchpost"},
                          {false, false, "Larchpost"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.tip);
        lp::TfrmMain& w = open();
        EXPECT_EQ(w.paused(), step.pausedAtStart);
        EXPECT_EQ(w.tray->PauseSorting1->isChecked(), step.pausedAtStart);
        EXPECT_EQ(w.Timer1->isActive(), !step.pausedAtStart);
        EXPECT_EQ(w.menus.PauseSorting2->isChecked(), step.pausedAtStart);
        // The first change through the tray's menu, the way back through the window's: a
        // desktop without a tray can resume too.
        if (step.pauseAfter != step.pausedAtStart)
            (step.pauseAfter ? w.tray->PauseSorting1 : w.menus.PauseSorting2)->trigger();
        EXPECT_EQ(w.paused(), step.pauseAfter);
        EXPECT_EQ(w.tray->icon->toolTip(), step.tip);
        EXPECT_EQ(w.windowTitle(), step.tip) << "the title says it too";
        const auto pictureOf = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
        EXPECT_EQ(pictureOf(w.tray->icon->icon()) != pictureOf(w.windowIcon()), step.pauseAfter)
            << "the tray shows a paused variant of the picture";
        EXPECT_EQ(w.tray->PauseSorting1->isChecked(), step.pauseAfter);
        EXPECT_EQ(w.menus.PauseSorting2->isChecked(), step.pauseAfter);
        EXPECT_EQ(w.Timer1->isActive(), !step.pauseAfter);
        cycles = 0;
        w.Timer1Timer(); // a tick already on its way
        EXPECT_EQ(cycles, step.pauseAfter ? 0 : 1);
        EXPECT_EQ(w.Timer1->isActive(), !step.pauseAfter);
        window.reset(); // the program ends; the next step is the next start
    }
    EXPECT_TRUE(warnings.empty());
}

TEST_F(TrayLifecycle, APauseThatCannotBeStoredHoldsForThisRunAndIsTold) {
    lp::TfrmMain& w = open();
    blockSettings();
    w.tray->PauseSorting1->trigger();
    EXPECT_TRUE(w.paused());
    EXPECT_FALSE(w.Timer1->isActive());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].startsWith("Unable to write the settings file"))
        << warnings[0].toStdString();
}

// The program takes the folders' first listing at its start, paused or not: what arrives before
// the first cycle, or during a pause, is new to it; what was there at the start is not; and
// nothing is acted on before that cycle.
struct StartListingCase {
    const char* name;
    std::uint8_t trigger;
    bool earlyMoved; // the file there before the start, after the first cycle past the pause
};

class StartListing : public TrayLifecycle, public testing::WithParamInterface<StartListingCase> {
protected:
    void TearDown() override {
        lp::app().table = {};
        TrayLifecycle::TearDown();
    }

    // Starts the program, paused or not, over the folder "in" (ticked or not) holding "early.txt",
    // with one rule of the case's trigger moving files to "out", and cycles that really sort.
    lp::TfrmMain& startOverEarlyFile(bool paused, bool folderOn = true) {
        std::filesystem::create_directories(in);
        std::filesystem::create_directories(out);
        lp::rServiceRules service;
        service.serviceid = lp::kOtherService;
        service.enabled = folderOn;
        service.sharedir = in.string();
        service.othernum = 1;
        lp::RuleRec rule;
        rule.rulename = "Tidy";
        rule.enabled = true;
        rule.mcond = GetParam().trigger;
        rule.actions = {lp::test::MoveTo(out.string())};
        rule.actioncnt = 1;
        service.rulelist = {1, {rule}};
        lp::app().table.services = {service};
        lp::StoredOptions options;
        options.paused = paused;
        EXPECT_TRUE(lp::WriteStoredOptions(lp::settingsStore(), options));
        std::ofstream(in / "early.txt") << "x";
        window = std::make_unique<lp::TfrmMain>([](lp::ServiceTable& table, bool first) {
            lp::SystemEnvironment system;
            lp::runMonitorCycle(table, first, {}, system);
        });
        return *window;
    }

    const std::filesystem::path in = dir.filePath("in").toStdString();
    const std::filesystem::path out = dir.filePath("out").toStdString();
};

TEST_P(StartListing, FilesArrivingDuringThePauseAreSortedAfterIt) {
    namespace fs = std::filesystem;
    lp::TfrmMain& w = startOverEarlyFile(true);
    ASSERT_TRUE(w.paused());
    EXPECT_TRUE(fs::exists(in / "early.txt")) << "nothing is acted on while paused";
    EXPECT_EQ(lp::app().table.services[0].rulelist.rulecnt, 1) << "the rules are left as they are";
    std::ofstream(in / "late.txt") << "x";
    w.Timer1Timer(); // a tick already on its way still does nothing
    EXPECT_TRUE(fs::exists(in / "late.txt"));

    w.tray->PauseSorting1->trigger();
    ASSERT_FALSE(w.paused());
    w.Timer1Timer();
    EXPECT_TRUE(fs::exists(out / "late.txt"));
    EXPECT_FALSE(fs::exists(in / "late.txt"));
    EXPECT_EQ(fs::exists(out / "early.txt"), GetParam().earlyMoved);
    EXPECT_NE(fs::exists(in / "early.txt"), GetParam().earlyMoved);
}

TEST_P(StartListing, WithoutAPauseFilesArrivingBeforeTheFirstCycleAreSortedByIt) {
    namespace fs = std::filesystem;
    lp::TfrmMain& w = startOverEarlyFile(false);
    ASSERT_FALSE(w.paused());
    EXPECT_TRUE(fs::exists(in / "early.txt")) << "nothing is acted on before the first cycle";
    std::ofstream(in / "late.txt") << "x";
    w.Timer1Timer();
    EXPECT_TRUE(fs::exists(out / "late.txt"));
    EXPECT_EQ(fs::exists(out / "early.txt"), GetParam().earlyMoved);
}

// A folder ticked while the program runs is listed at the click, as at the start: a file that
// arrives right after it is new, one that was there before is not.
TEST_P(StartListing, AFolderTickedWhileRunningIsListedAtTheClick) {
    namespace fs = std::filesystem;
    lp::TfrmMain& w = startOverEarlyFile(false, false);
    w.Timer1Timer(); // the cycles pass the folder over while it is off
    w.clService->setChecked(0, true);
    w.clServiceClickCheck();
    ASSERT_TRUE(lp::app().table.services[0].enabled);
    std::ofstream(in / "late.txt") << "x";
    w.Timer1Timer();
    EXPECT_TRUE(fs::exists(out / "late.txt"));
    EXPECT_EQ(fs::exists(out / "early.txt"), GetParam().earlyMoved);
}

INSTANTIATE_TEST_SUITE_P(Triggers, StartListing,
                         testing::Values(StartListingCase{"NewFiles", lp::NewFile, false},
                                         StartListingCase{"FileCount", lp::FileCount, true}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
