// The Activity window over a real log: the table newest first, the filter, live updates, and
// Undo with what it refuses and why.

#include "engine/activity_entry.h"
#include "engine/monitor_cycle.h"
#include "engine/system_environment.h"
#include "globals/app_globals.h"
#include "main/activity_table.h"
#include "main/activity_window.h"
#include "main/mainwindow.h"
#include "main/tray_icon.h"
#include "platform/file_identity.h"
#include "support/rule_action.h"
#include "support/scoped_config_home.h"
#include "support/scoped_variable.h"
#include "widgets/ui_seams.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

namespace fs = std::filesystem;

lp::ActivityEntry entry(const char* folder, const char* rule, const char* action,
                        std::vector<std::string> values, bool failed = false) {
    lp::ActivityEntry e;
    e.time = "2026-12-08T09:12:33+01:00";
    e.folder = folder;
    e.rule = rule;
    e.action = action;
    e.values = std::move(values);
    e.failed = failed;
    if ((e.action == "move" || e.action == "copy") && !failed)
        e.identity = lp::FileIdentity{1, 2, 3, 4};
    return e;
}

class ActivityWindow : public ::testing::Test {
protected:
    void SetUp() override {
        lp::setWarningHook([this](const lp::WarningShown& w) { warnings.push_back(w.text); });
    }
    void TearDown() override {
        window.reset();
        lp::setWarningHook({});
    }

    void write(const lp::ActivityEntry& e) {
        std::ofstream(log, std::ios::binary | std::ios::app) << lp::FormatActivityLine(e) << '\n';
    }
    void writeSample() {
        write(entry("Downloads", "Music", "move", {"/in/song.mp3", "/music/song.mp3"}));
        lp::ActivityEntry failedCopy =
            entry("Downloads", "Backup", "copy", {"/in/notes.txt", "/backup/notes.txt"}, true);
        failedCopy.reason = "the destination folder is missing";
        write(failedCopy);
        write(entry("Scanner", "Open scans", "launch", {"/usr/bin/viewer", "--new", "/s/1.pdf"}));
        write(entry("Scanner", "Keep 50", "delete", {"/s/old.pdf"}));
    }
    lp::TfrmActivity& open() {
        window = std::make_unique<lp::TfrmActivity>(log);
        return *window;
    }
    QString cell(int row, int column) const {
        const QAbstractItemModel* model = window->tvActivity->model();
        return model->index(row, column).data().toString();
    }
    void select(int row) {
        window->tvActivity->clearSelection();
        window->tvActivity->selectRow(row);
    }

    QTemporaryDir dir;
    const std::string log = dir.filePath("state/activity.log").toStdString();
    std::unique_ptr<lp::TfrmActivity> window;
    std::vector<QString> warnings;
    bool made = QDir().mkpath(dir.filePath("state"));
    // The sample's lines are written at +01:00 and shown so.
    const lp::test::ScopedVariable zone{"TZ", "LPT-1"};
};

using Column = lp::ActivityTableModel::Column;

TEST_F(ActivityWindow, ListsTheLogNewestFirstInItsColumns) {
    writeSample();
    // A rename is logged as a move within its folder, and shown as what it is.
    write(entry("Scanner", "Date", "move", {"/s/scan.pdf", "/s/2026 scan.pdf"}));
    lp::ActivityEntry noName = entry("Scanner", "Date", "rename", {"/s/README"}, true);
    noName.reason = "the new name made from the file is empty";
    write(noName);
    open();
    ASSERT_EQ(window->shownRows(), 6);
    const std::vector<std::vector<QString>> expected{
        {"2026-12-08 09:12:33", "Scanner", "Date", "Rename (failed)", "/s/README", ""},
        {"2026-12-08 09:12:33", "Scanner", "Date", "Rename", "/s/scan.pdf", "/s/2026 scan.pdf"},
        {"2026-12-08 09:12:33", "Scanner", "Keep 50", "Delete", "/s/old.pdf", ""},
        {"2026-12-08 09:12:33", "Scanner", "Open scans", "Launch", "/usr/bin/viewer",
         "--new /s/1.pdf"},
        {"2026-12-08 09:12:33", "Downloads", "Backup", "Copy (failed)", "/in/notes.txt",
         "/backup/notes.txt"},
        {"2026-12-08 09:12:33", "Downloads", "Music", "Move", "/in/song.mp3", "/music/song.mp3"},
    };
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < Column::ColumnCount; ++column)
            EXPECT_EQ(cell(row, column), expected[row][column]) << row << "," << column;
    // A failure says why where its action is pointed at; the rest show their text.
    const QAbstractItemModel* model = window->tvActivity->model();
    EXPECT_EQ(model->index(4, Column::Action).data(Qt::ToolTipRole).toString(),
              "Copy (failed): the destination folder is missing");
    EXPECT_EQ(model->index(5, Column::Action).data(Qt::ToolTipRole).toString(), "Move");
}

TEST_F(ActivityWindow, TheStatusLineNamesEachEnabledRuleThatIsPassedOver) {
    writeSample();
    for (const bool enabled : {true, false}) {
        lp::RuleRec rule;
        rule.rulename = "From a newer program";
        rule.enabled = enabled;
        rule.conds.resize(1);
        rule.conds[0].rcond = 9;
        rule.condcnt = 1;
        lp::rServiceRules service;
        service.othername = "Downloads";
        service.rulelist.rules = {rule};
        service.rulelist.rulecnt = 1;
        lp::app().table = {};
        lp::app().table.services = {service};
        open();
        const QString status = window->lblStatus->text();
        EXPECT_EQ(status.contains("the rule \"From a newer program\" of \"Downloads\" is passed "
                                  "over: it holds a kind of condition Larchpost does not know "
                                  "(rcond=9)"),
                  enabled)
            << status.toStdString();
    }
    lp::app().table = {};
}

struct FilterCase {
    const char* name;
    const char* text;
    std::vector<const char*> rules; // the rows left, by their rule, newest first
};

class ActivityFilter : public ActivityWindow, public testing::WithParamInterface<FilterCase> {};

TEST_P(ActivityFilter, KeepsTheRowsWithTheTextInAnyColumn) {
    writeSample();
    open();
    window->edFilter->setText(QString::fromUtf8(GetParam().text));
    std::vector<std::string> left;
    for (int row = 0; row < window->shownRows(); ++row)
        left.push_back(cell(row, Column::Rule).toStdString());
    EXPECT_EQ(left, std::vector<std::string>(GetParam().rules.begin(), GetParam().rules.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ActivityFilter,
    testing::Values(FilterCase{"Empty", "", {"Keep 50", "Open scans", "Backup", "Music"}},
                    FilterCase{"FolderAnyCase", "scanner", {"Keep 50", "Open scans"}},
                    FilterCase{"Rule", "Backup", {"Backup"}},
                    FilterCase{"Action", "failed", {"Backup"}},
                    FilterCase{"FileName", "song", {"Music"}},
                    FilterCase{"Destination", "/backup/", {"Backup"}},
                    FilterCase{"LaunchArgument", "--new", {"Open scans"}},
                    FilterCase{"Nothing", "no such text", {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ActivityWindow, LinesAppendedWhileItIsOpenAppearAtTheTop) {
    writeSample();
    open();
    window->edFilter->setText("Downloads");
    write(entry("Downloads", "Late", "move", {"/in/late.txt", "/out/late.txt"}));
    // The watcher tells of the change; the wait is only a bound for a slow machine.
    EXPECT_TRUE(QTest::qWaitFor([this] { return window->shownRows() == 3; }, 20000));
    EXPECT_EQ(cell(0, Column::Rule), "Late");
}

// Lines of runs under other time zones: every time in the viewer's zone, ordered by the instant,
// also when a line of an earlier instant is read after later ones.
struct TimeZoneCase {
    const char* name;
    const char* viewerZone;
    std::vector<const char*> shown; // newest first
};

class ActivityTimes : public ActivityWindow, public testing::WithParamInterface<TimeZoneCase> {
protected:
    void writeAt(const char* time, const char* rule) {
        lp::ActivityEntry e = entry("Downloads", rule, "delete", {"/in/x"});
        e.time = time;
        write(e);
    }
    std::vector<std::string> column(int which) const {
        std::vector<std::string> out;
        for (int row = 0; row < window->shownRows(); ++row)
            out.push_back(cell(row, which).toStdString());
        return out;
    }
};

TEST_P(ActivityTimes, AreShownInTheViewersZoneInTheOrderTheyHappened) {
    const lp::test::ScopedVariable viewer("TZ", GetParam().viewerZone);
    writeAt("2026-12-08T10:27:02+00:00", "A");
    writeAt("2026-12-08T10:28:37+00:00", "C");
    open();
    // Read while the window is open: one between the two, one at the same instant as C.
    writeAt("2026-12-08T15:57:19+05:30", "B");
    writeAt("2026-12-08T15:58:37+05:30", "D");
    window->refresh();
    EXPECT_EQ(column(Column::Rule), (std::vector<std::string>{"D", "C", "B", "A"}));
    EXPECT_EQ(column(Column::Time),
              std::vector<std::string>(GetParam().shown.begin(), GetParam().shown.end()));
    // Read at once, as a new window reads them, they come in the same order.
    open();
    EXPECT_EQ(column(Column::Rule), (std::vector<std::string>{"D", "C", "B", "A"}));
    EXPECT_EQ(window->tvActivity->model()->index(0, Column::Time).data(Qt::ToolTipRole),
              "2026-12-08T15:58:37+05:30")
        << "the tooltip keeps the time as written";
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ActivityTimes,
    testing::Values(TimeZoneCase{"Utc",
                                 "UTC0",
                                 {"2026-12-08 10:28:37", "2026-12-08 10:28:37",
                                  "2026-12-08 10:27:19", "2026-12-08 10:27:02"}},
                    TimeZoneCase{"FiveAndAHalfHoursEast",
                                 "LPT-5:30",
                                 {"2026-12-08 15:58:37", "2026-12-08 15:58:37",
                                  "2026-12-08 15:57:19", "2026-12-08 15:57:02"}},
                    TimeZoneCase{"WestAcrossMidnight",
                                 "LPT11",
                                 {"2026-12-07 23:28:37", "2026-12-07 23:28:37",
                                  "2026-12-07 23:27:19", "2026-12-07 23:27:02"}}),
    [](const auto& p) { return std::string(p.param.name); });

struct UndoButtonCase {
    const char* name;
    int row; // in the sample, newest first
    bool enabled;
    const char* status;
    bool sortingBusy = false; // a cycle runs: a file put back now could be taken for new
};

class ActivityUndoButton : public ActivityWindow,
                           public testing::WithParamInterface<UndoButtonCase> {};

TEST_P(ActivityUndoButton, IsOnlyOnForWhatCanBeUndoneAndSaysWhyNot) {
    writeSample();
    open();
    EXPECT_FALSE(window->btnUndo->isEnabled()) << "nothing selected";
    window->setSortingBusy(GetParam().sortingBusy);
    select(GetParam().row);
    EXPECT_EQ(window->btnUndo->isEnabled(), GetParam().enabled);
    EXPECT_EQ(window->lblStatus->text(), GetParam().status);
    EXPECT_EQ(window->btnUndo->toolTip(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ActivityUndoButton,
    testing::Values(
        UndoButtonCase{"Delete", 0, false, "A deleted file cannot be brought back."},
        UndoButtonCase{"Launch", 1, false, "A program that was started cannot be undone."},
        UndoButtonCase{"FailedCopy", 2, false,
                       "The operation failed, so there is nothing to undo."},
        UndoButtonCase{"Move", 3, true, ""},
        UndoButtonCase{"MoveWhileSorting", 3, false,
                       "Undo is possible again once the sorting under way has ended.", true},
        UndoButtonCase{"FailedCopyWhileSorting", 2, false,
                       "The operation failed, so there is nothing to undo.", true}),
    [](const auto& p) { return std::string(p.param.name); });

class ActivityUndo : public ActivityWindow {
protected:
    // A file a rule moved, logged as the cycle logs it.
    void moveLogged(const std::string& name) {
        const std::string from = dir.filePath("in/" + QString::fromStdString(name)).toStdString();
        const std::string to = dir.filePath("out/" + QString::fromStdString(name)).toStdString();
        fs::create_directories(fs::path(from).parent_path());
        fs::create_directories(fs::path(to).parent_path());
        std::ofstream(to) << name;
        lp::ActivityEntry e = entry("Downloads", "Tidy", "move", {from, to});
        e.identity = lp::platform::IdentifyFile(to);
        ASSERT_TRUE(e.identity);
        write(e);
        moved.push_back({from, to});
    }
    std::vector<std::pair<std::string, std::string>> moved;
};

TEST_F(ActivityUndo, MovesTheSelectedFilesBackLogsItAndSaysWhatWasRefused) {
    moveLogged("a.txt");
    moveLogged("b.txt");
    moveLogged("c.txt");
    std::ofstream(moved[1].second, std::ios::app) << " edited";
    open();
    window->tvActivity->selectAll();
    // A click that reached the window while a cycle ran does nothing; the cycle's end allows it.
    window->setSortingBusy(true);
    window->btnUndoClick();
    EXPECT_FALSE(fs::exists(moved[0].first)) << "no undo while a cycle runs";
    EXPECT_EQ(window->shownRows(), 3) << "nothing logged";
    window->setSortingBusy(false);
    window->btnUndoClick();

    EXPECT_TRUE(fs::exists(moved[0].first));
    EXPECT_TRUE(fs::exists(moved[2].first));
    EXPECT_TRUE(fs::exists(moved[1].second)) << "the changed file stays";
    EXPECT_FALSE(fs::exists(moved[1].first));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].contains("The file has changed since it was moved."))
        << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("b.txt")) << warnings[0].toStdString();
    EXPECT_TRUE(window->lblStatus->text().startsWith("2 entries undone."))
        << window->lblStatus->text().toStdString();
    // Both undos are in the log and, read back from it, at the top of the table.
    ASSERT_EQ(window->shownRows(), 5);
    EXPECT_EQ(cell(0, Column::Action), "Undo move");
    EXPECT_EQ(cell(1, Column::Action), "Undo move");
    EXPECT_EQ(window->shownEntry(0).values.back(), moved[0].first);
    EXPECT_TRUE(window->shownEntry(0).identity);

    // Undone once, a move is not undone again; the one that was refused still can be.
    select(4);
    EXPECT_FALSE(window->btnUndo->isEnabled());
    EXPECT_EQ(window->lblStatus->text(), "This entry has already been undone.");
    select(3);
    EXPECT_TRUE(window->btnUndo->isEnabled());
    warnings.clear();
    window->tvActivity->selectAll();
    window->btnUndoClick();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].count("already been undone"), 2) << warnings[0].toStdString();
    EXPECT_TRUE(warnings[0].contains("The file has changed")) << warnings[0].toStdString();
    EXPECT_EQ(window->shownRows(), 5) << "a refusal is not logged";
}

// A live line arriving just before a click: Undo acts on the entry the user selected.
TEST_F(ActivityUndo, ActsOnTheSelectedEntryWhenALineArrivesMeanwhile) {
    moveLogged("a.txt");
    open();
    select(0);
    moveLogged("b.txt"); // arrives at the top, where a.txt's row was
    window->refresh();
    ASSERT_EQ(window->shownRows(), 2);
    window->btnUndoClick();
    EXPECT_TRUE(fs::exists(moved[0].first)) << window->lblStatus->text().toStdString();
    EXPECT_TRUE(fs::exists(moved[1].second)) << "the newer entry is left alone";
    EXPECT_FALSE(fs::exists(moved[1].first));
}

// New rows push the others down only while the user watches the top with nothing selected.
struct HoldRowsCase {
    const char* name;
    int selectedRow; // -1: none
    int scrolledTo;  // the row scrolled to the top
    bool newRowShown;
};

class ActivityHoldRows : public ActivityWindow, public testing::WithParamInterface<HoldRowsCase> {};

TEST_P(ActivityHoldRows, ArrivalsMoveNoVisibleRowWhileTheUserHasPlacedTheView) {
    const HoldRowsCase& c = GetParam();
    for (int i = 0; i < 40; ++i)
        write(entry("Downloads", ("R" + std::to_string(i)).c_str(), "delete", {"/in/x"}));
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    if (c.selectedRow >= 0)
        select(c.selectedRow);
    window->tvActivity->scrollTo(window->tvActivity->model()->index(c.scrolledTo, 0),
                                 QAbstractItemView::PositionAtTop);
    const auto topRule = [this] {
        return window->shownEntry(window->tvActivity->indexAt(QPoint(0, 0)).row()).rule;
    };
    const std::string before = topRule();
    write(entry("Downloads", "Late 1", "delete", {"/in/y"}));
    write(entry("Downloads", "Late 2", "delete", {"/in/z"}));
    window->refresh();
    ASSERT_EQ(window->shownRows(), 42);
    EXPECT_EQ(topRule(), c.newRowShown ? "Late 2" : before);
    if (c.selectedRow >= 0) {
        const QModelIndexList selected = window->tvActivity->selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(window->shownEntry(selected[0].row()).rule,
                  "R" + std::to_string(39 - c.selectedRow))
            << "the selection follows its entry";
    }
    // Closed and opened again, it shows what happened last, whatever the user left placed.
    window->hide();
    write(entry("Downloads", "Late 3", "delete", {"/in/w"}));
    window->refresh();
    window->showNewest();
    EXPECT_EQ(topRule(), "Late 3");
    EXPECT_FALSE(window->tvActivity->selectionModel()->hasSelection());
}

INSTANTIATE_TEST_SUITE_P(Views, ActivityHoldRows,
                         testing::Values(HoldRowsCase{"AtTheTop", -1, 0, true},
                                         HoldRowsCase{"SelectedAtTheTop", 0, 0, false},
                                         HoldRowsCase{"SelectedFurtherDown", 5, 3, false},
                                         HoldRowsCase{"Scrolled", -1, 10, false}),
                         [](const auto& p) { return std::string(p.param.name); });

struct UndoThenCycleCase {
    const char* name;
    std::uint8_t trigger;
    bool staysBack;     // where the undo put it, after the next cycles
    bool saysSortAgain; // the status line names the rule as one that may sort it again
};

class ActivityUndoThenCycle : public ActivityWindow,
                              public testing::WithParamInterface<UndoThenCycleCase> {
protected:
    void TearDown() override {
        lp::app().table = {};
        ActivityWindow::TearDown();
    }
    void cycle(bool first = false) {
        lp::SystemEnvironment system;
        lp::runMonitorCycle(lp::app().table, first, {}, system);
    }
};

// The desktop program's round: a rule moves a file, Undo in the window puts it back, and the
// next cycles leave it there unless the rule looks at every file.
TEST_P(ActivityUndoThenCycle, TheFilePutBackIsSortedAgainOnlyByARuleOnEveryFile) {
    const std::string in = dir.filePath("in").toStdString();
    const std::string out = dir.filePath("out").toStdString();
    fs::create_directories(in);
    fs::create_directories(out);
    lp::rServiceRules service;
    service.serviceid = lp::kOtherService;
    service.enabled = true;
    service.sharedir = in;
    service.othername = "Downloads";
    lp::RuleRec rule;
    rule.rulename = "Tidy";
    rule.enabled = true;
    rule.mcond = GetParam().trigger;
    rule.fcnt = 0;
    rule.actions = {lp::test::MoveTo(out)};
    rule.actioncnt = 1;
    service.rulelist.rules = {rule};
    service.rulelist.rulecnt = 1;
    lp::app().table = {};
    lp::app().table.services = {service};

    cycle(true);
    const std::string back = (fs::path(in) / "report.txt").string();
    const std::string moved = (fs::path(out) / "report.txt").string();
    std::ofstream(back) << "the report";
    cycle();
    ASSERT_TRUE(fs::exists(moved));
    lp::ActivityEntry e = entry("Downloads", "Tidy", "move", {back, moved});
    e.identity = lp::platform::IdentifyFile(moved);
    write(e);

    open();
    select(0);
    window->btnUndoClick();
    ASSERT_TRUE(fs::exists(back)) << window->lblStatus->text().toStdString();
    EXPECT_EQ(window->lblStatus->text().contains("\"Tidy\" of \"Downloads\""),
              GetParam().saysSortAgain)
        << window->lblStatus->text().toStdString();

    cycle();
    cycle();
    EXPECT_EQ(fs::exists(back), GetParam().staysBack);
    EXPECT_NE(fs::exists(moved), GetParam().staysBack);
}

INSTANTIATE_TEST_SUITE_P(Triggers, ActivityUndoThenCycle,
                         testing::Values(UndoThenCycleCase{"NewFiles", lp::NewFile, true, false},
                                         UndoThenCycleCase{"FileCount", lp::FileCount, false,
                                                           true}),
                         [](const auto& p) { return std::string(p.param.name); });

// The File menu and the tray open the same window, on the log of the user's state folder.
TEST(ActivityEntries, TheFileMenuAndTheTrayOpenOneWindowOnTheUsersLog) {
    lp::test::ScopedConfigHome home;
    QTemporaryDir state;
    const lp::test::ScopedVariable stateHome("XDG_STATE_HOME",
                                             state.path().toLocal8Bit().constData());
    QDir().mkpath(state.filePath("Larchpost"));
    std::ofstream(state.filePath("Larchpost/activity.log").toStdString())
        << lp::FormatActivityLine(entry("Downloads", "Music", "delete", {"/in/x"})) << '\n';
    lp::setTrayAvailableForTests(true);
    lp::app().table = {};
    {
        lp::TfrmMain main(lp::MonitorCycle{});
        main.menus.Activity1->trigger();
        auto* shown = main.findChild<lp::TfrmActivity*>();
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->shownRows(), 1);
        shown->close();
        main.tray->Activity2->trigger();
        EXPECT_EQ(main.findChildren<lp::TfrmActivity*>().size(), 1);
        EXPECT_TRUE(shown->isVisible());
    }
    lp::setTrayAvailableForTests(std::nullopt);
}

} // namespace
