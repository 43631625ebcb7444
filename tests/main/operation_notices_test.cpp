// Notifications of what the cycles did: a failure is told once, with its file and reason, as the
// options choose; every file sorted only when chosen; a click opens the Activity window on the
// entry's line.

#include "desktop/registry_settings.h"
#include "desktop/stored_options.h"
#include "engine/activity_log.h"
#include "globals/app_globals.h"
#include "main/activity_window.h"
#include "main/mainwindow.h"
#include "main/operation_notices.h"
#include "main/tray_icon.h"
#include "support/scoped_config_home.h"

#include <QItemSelectionModel>
#include <QSystemTrayIcon>
#include <QTableView>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace {

struct NoticeCase {
    const char* name;
    bool failed;
    bool notifyFailures;
    bool notifySorted;
    bool shown;
};

class OperationNotice : public testing::TestWithParam<NoticeCase> {
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

lp::ActivityEntry moveOf(const std::string& file, bool failed) {
    lp::ActivityEntry e;
    e.time = "2026-12-09T09:12:33+01:00";
    e.folder = "Downloads";
    e.rule = "Music";
    e.action = "move";
    e.values = {"/home/u/Downloads/" + file, "/media/usb/Music/" + file};
    e.failed = failed;
    if (failed)
        e.reason = "No space left on device";
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
    log.append(moveOf("song.flac", c.failed));
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

INSTANTIATE_TEST_SUITE_P(
    Options, OperationNotice,
    testing::Values(NoticeCase{"FailureByDefault", true, true, false, true},
                    NoticeCase{"FailuresOff", true, false, false, false},
                    NoticeCase{"SortedFileByDefault", false, true, false, false},
                    NoticeCase{"EverySortedFileChosen", false, true, true, true}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
