#include "mainwindow.h"

#include "activity_window.h"
#include "addservice.h"
#include "desktop/autostart_entry.h"
#include "desktop/program_icon.h"
#include "desktop/system_info.h"
#include "engine/activity_log.h"
#include "exit_wait.h"
#include "folder_list.h"
#include "globals/app_globals.h"
#include "globals/config_file.h"
#include "operation_notices.h"
#include "rulelist.h"
#include "sort_now_dialog.h"
#include "tray_icon.h"
#include "widgets/check_list_box.h"
#include "widgets/frame_memory.h"
#include "widgets/keyboard_access.h"
#include "widgets/size_memory.h"
#include "widgets/ui_seams.h"
#include "window_position.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

namespace lp {

namespace {

constexpr int kMonitorIntervalMs = 5000;
constexpr int kTopAreaHeight = 94;
constexpr int kButtonColumn = 89;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 6;

} // namespace

TfrmMain::TfrmMain(MonitorCycle cycle, CycleThread::Mode mode, QWidget* parent)
    : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(578, 414);
    resize(578, 414);
    frameMemory_ = new FrameMemory(*this);

    // A single page whose tab is never shown.
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    PageControl1->setTabBarAutoHide(true);
    // Its tab is hidden, so it can take no focus: as a stop of the Tab order it would hold the
    // focus where it was, and Tab would never come back round to the folder list.
    PageControl1->setFocusPolicy(Qt::NoFocus);
    tsOthers = new QWidget(PageControl1);
    tsOthers->setObjectName(QStringLiteral("tsOthers"));
    PageControl1->addTab(tsOthers, QString());
    setCentralWidget(PageControl1);

    Label9 = new QLabel(tsOthers);
    Label9->setObjectName(QStringLiteral("Label9"));
    clService = new TCheckListBox(tsOthers);
    clService->setObjectName(QStringLiteral("clService"));
    auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(tsOthers);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    btnAddService = makeButton("btnAddService");
    btnEditService = makeButton("btnEditService");
    btnDeleteService = makeButton("btnDeleteService");
    frSwapRules6 = new TfrSwapRules(tsOthers);
    frSwapRules6->setObjectName(QStringLiteral("frSwapRules6"));
    frSwapRules6->setHost(this);
    tsOthers->installEventFilter(this);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kMonitorIntervalMs);
    // Only the program notes the operations its end stopped; tests of the window run inline.
    cycles =
        new CycleThread(std::move(cycle), mode, this, {},
                        mode == CycleThread::Mode::OwnThread ? StoppedFilesPath() : std::string());

    menus = buildMainMenu(*menuBar());
    tray = new TrayIcon(this);

    // A click on the empty part of the list takes the highlight away: that, too, is a change of
    // the selected folder.
    connect(clService, &QListWidget::itemSelectionChanged, this, [this] {
        if (!selectingByProgram_)
            clServiceClick();
    });
    connect(clService, &TCheckListBox::clickCheck, this, &TfrmMain::clServiceClickCheck);
    connect(clService, &QListWidget::itemDoubleClicked, this, &TfrmMain::clServiceDblClick);
    connect(btnAddService, &QPushButton::clicked, this, &TfrmMain::btnAddServiceClick);
    connect(btnEditService, &QPushButton::clicked, this, &TfrmMain::btnEditServiceClick);
    connect(btnDeleteService, &QPushButton::clicked, this, &TfrmMain::btnDeleteServiceClick);
    FolderMenu = new QMenu(clService);
    FolderMenu->setObjectName(QStringLiteral("FolderMenu"));
    SortNow2 = FolderMenu->addAction(QStringLiteral("Sort &Now..."));
    SortNow2->setObjectName(QStringLiteral("SortNow2"));
    connect(SortNow2, &QAction::triggered, this, &TfrmMain::SortNow1Click);
    connect(FolderMenu->addAction(QStringLiteral("&Edit Folder...")), &QAction::triggered, this,
            &TfrmMain::btnEditServiceClick);
    connect(FolderMenu->addAction(QStringLiteral("&Remove Folder")), &QAction::triggered, this,
            &TfrmMain::btnDeleteServiceClick);
    clService->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(clService, &QWidget::customContextMenuRequested, this, &TfrmMain::clServiceContextMenu);
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    connect(cycles, &CycleThread::cycleEnded, this, &TfrmMain::cycleEnded);
    connect(cycles, &CycleThread::progress, this, &TfrmMain::operationProgress);
    connectMenus();

    FormCreate();
    giveButtonMnemonics(*this);
    keepFocusWhenDisabled(*this);
    rememberWindowSize(*this, QStringLiteral("Main"));
}

void TfrmMain::FormCreate() {
    // A failure to write the auto-start file is told; the window is made all the same, so that
    // monitoring runs.
    bringRunEntryInLine(app().registry.AutoStart, executablePath(),
                        [this](const std::string& message) {
                            showWarning(this, QString::fromStdString(message), std::nullopt);
                        });
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    move(mainWindowOrigin(app().registry, screenSize));

    setWindowTitle(QStringLiteral("Larchpost"));
    btnAddService->setText(QStringLiteral("Add Folder..."));
    btnEditService->setText(QStringLiteral("Edit Folder..."));
    btnDeleteService->setText(QStringLiteral("Remove Folder"));
    Label9->setText(QStringLiteral("Monitored Folders"));
    frSwapRules6->Label1->setText(QStringLiteral("File Rules"));
    tray->setCaptions();
    PageControl1->setCurrentWidget(tsOthers);

    app().currentServiceId = kOtherService;
    FirstCycle = true;
    BuildOtherServiceList();
    BuildRuleLists(kOtherService);
    paused_ = readStoredPause();
    showPaused();
    takeFirstListing();
    if (!paused_)
        Timer1->start();
    const QIcon icon = programIcon();
    setWindowIcon(icon);
    tray->add(icon);
    // Told in the notification area; a click opens the Activity window on the entry's line.
    notices_ = new OperationNotices(ActivityLog::DefaultPath(), *tray->icon, this);
    connect(notices_, &OperationNotices::entryClicked, this, [this](const ActivityEntry& entry) {
        Activity1Click();
        activityWindow_->showEntry(entry);
    });
}

void TfrmMain::layOutFolderPage() {
    const int w = tsOthers->width();
    const int h = tsOthers->height();
    // The folder and the rule buttons share one width, aligned in one column: the design's,
    // unless the desktop's font needs more for one of their captions.
    int buttonWidth = std::max(kButtonWidth, frSwapRules6->widestButtonNeed());
    for (const QPushButton* button : {btnAddService, btnEditService, btnDeleteService})
        buttonWidth = std::max(buttonWidth, button->sizeHint().width());
    frSwapRules6->setButtonWidth(buttonWidth);
    const int buttonColumn = kButtonColumn + (buttonWidth - kButtonWidth);
    const int column = w - buttonColumn;
    // The folders take a quarter of a page grown beyond the design, the rules the rest.
    const int topArea = std::max(kTopAreaHeight, h / 4);
    Label9->setGeometry(kMargin, 4, column - kMargin, 16);
    clService->setGeometry(kMargin, 22, column - kMargin - 4, topArea - 22);
    const int x = column + (buttonColumn - buttonWidth) / 2;
    btnAddService->setGeometry(x, 10, buttonWidth, kButtonHeight);
    btnEditService->setGeometry(x, 39, buttonWidth, kButtonHeight);
    btnDeleteService->setGeometry(x, 68, buttonWidth, kButtonHeight);
    frSwapRules6->setGeometry(kMargin, topArea + 4, w - kMargin, h - topArea - 4 - kMargin);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tsOthers && event->type() == QEvent::Resize)
        layOutFolderPage();
    return QMainWindow::eventFilter(watched, event);
}

int TfrmMain::selectedServiceLine() const {
    return clService->selectedLine();
}

rServiceRules* TfrmMain::currentServiceRecord() {
    return findUserService(app().table, selectedServiceLine());
}

// The lines are in table order and a rebuild keeps no state, so a guard against clicks during a
// rebuild keeps the rule panel from being filled for a line that is about to vanish.
void TfrmMain::selectFolderLine(int line) {
    {
        QScopedValueRollback guard(selectingByProgram_, true);
        clService->setCurrentRow(line);
    }
    enableFolderCommands();
}

void TfrmMain::BuildOtherServiceList() {
    {
        QScopedValueRollback guard(selectingByProgram_, true);
        fillFolderList(*clService, app().table);
    }
    if (clService->count() > 0)
        selectFolderLine(0);
    enableFolderCommands();
}

void TfrmMain::enableFolderCommands() {
    const bool selected = selectedServiceLine() >= 0;
    frSwapRules6->btnAdd->setEnabled(selected);
    btnEditService->setEnabled(selected);
    btnDeleteService->setEnabled(selected);
    menus.SortNow1->setEnabled(selected);
}

void TfrmMain::clServiceContextMenu(const QPoint& position) {
    // The menu acts on the line under the pointer, which becomes the highlighted one, as a click
    // makes it.
    QListWidgetItem* item = clService->itemAt(position);
    if (item == nullptr)
        return;
    clService->setCurrentItem(item);
    FolderMenu->popup(clService->viewport()->mapToGlobal(position));
}

void TfrmMain::SortNow1Click() {
    const rServiceRules* record = currentServiceRecord();
    if (record == nullptr)
        return;
    TfrmSortNow dialog(*cycles, sortNowWork_, *record, this);
    runModal(dialog);
}

void TfrmMain::BuildRuleLists(std::uint8_t id) {
    if (id != kOtherService)
        return;
    TCheckListBox& list = *frSwapRules6->clRuleList;
    {
        // The refill is no click in the list: the panel's buttons are set once, below.
        const QSignalBlocker quiet(list);
        list.clearLines();
        if (const rServiceRules* record = currentServiceRecord()) {
            const RuleList& rules = record->rulelist;
            const auto count =
                std::min<std::size_t>(std::max(rules.rulecnt, 0), rules.rules.size());
            for (std::size_t i = 0; i < count; ++i) {
                const int line = list.addLine(QString::fromStdString(rules.rules[i].rulename));
                list.setChecked(line, rules.rules[i].enabled);
            }
        }
        if (list.count() > 0)
            list.setCurrentRow(0);
    }
    if (list.count() > 0) {
        frSwapRules6->clRuleListClick();
    } else {
        // "Add Rule..." keeps the state the folder list gave it.
        frSwapRules6->btnEdit->setEnabled(false);
        frSwapRules6->btnDelete->setEnabled(false);
        frSwapRules6->btnMoveUp->setEnabled(false);
        frSwapRules6->btnMoveDown->setEnabled(false);
    }
}

bool TfrmMain::saveConfiguration() {
    AppGlobals& g = app();
    if (WriteConfigFile(g.configPath, g.table) == 0)
        return true;
    // The change stays in memory; the next successful save writes it.
    const QString path = QFileInfo(QString::fromStdString(g.configPath)).absoluteFilePath();
    showWarning(this, QStringLiteral("Unable to save configuration file: ") + path, std::nullopt);
    return false;
}

void TfrmMain::clServiceClick() {
    BuildRuleLists(app().currentServiceId);
    enableFolderCommands();
}

void TfrmMain::clServiceClickCheck() {
    rServiceRules* record = currentServiceRecord();
    if (record == nullptr)
        return;
    const bool ticked = clService->checked(selectedServiceLine());
    if (ticked && !record->enabled) {
        record->enabled = true;
        listFolderNow(*record);
    }
    record->enabled = ticked;
    saveConfiguration();
}

void TfrmMain::clServiceDblClick() {
    if (selectedServiceLine() >= 0)
        btnEditServiceClick();
}

void TfrmMain::btnAddServiceClick() {
    TfrmAddService dialog(app().table, false, -1, this);
    if (runModal(dialog) != QDialog::Accepted)
        return;
    listFolderNow(app().table.services.back());
    BuildOtherServiceList();
    BuildRuleLists(kOtherService);
    selectFolderLine(0);
    saveConfiguration();
}

void TfrmMain::btnEditServiceClick() {
    const int line = selectedServiceLine();
    if (currentServiceRecord() == nullptr)
        return;
    const rServiceRules& edited = *currentServiceRecord();
    const std::string folderBefore = edited.sharedir;
    const std::int32_t levelsBefore = edited.subfolders;
    const std::string exclusionsBefore = edited.excludefiles;
    TfrmAddService dialog(app().table, true, line, this);
    if (runModal(dialog) != QDialog::Accepted)
        return;
    const rServiceRules* record = findUserService(app().table, line);
    // Another folder is as good as a new one: its files there now are not new. So are the files
    // that more sub-folders or fewer exclusions let in now, and only those.
    if (record && record->enabled && record->sharedir != folderBefore) {
        listFolderNow(*record);
    } else if (record && record->enabled &&
               (record->subfolders > levelsBefore || record->excludefiles != exclusionsBefore)) {
        ServiceTable one;
        one.services = {*record};
        cycles->knowLetIn(ListFoldersNow(one));
    }
    BuildOtherServiceList();
    selectFolderLine(line);
    BuildRuleLists(kOtherService);
    saveConfiguration();
}

void TfrmMain::btnDeleteServiceClick() {
    ServiceTable& table = app().table;
    if (const rServiceRules* record = currentServiceRecord())
        removeUserService(table, static_cast<std::size_t>(record - table.services.data()));
    BuildOtherServiceList();
    BuildRuleLists(app().currentServiceId);
    saveConfiguration();
}

void TfrmMain::takeFirstListing() {
    // The cycle thread is idle at start, so the listing goes through it and its memory of the
    // folders: the first cycle need not list an unchanged folder again.
    cycles->start(WithoutRules(app().table), true);
    FirstCycle = false;
    tellActivityWindowOfCycle();
}

void TfrmMain::listFolderNow(const rServiceRules& service) {
    // Listed here, not on the cycle thread, which may be busy with a long copy until long after
    // the click.
    ServiceTable one;
    one.services = {service};
    cycles->adoptListing(ListFoldersNow(one));
}

void TfrmMain::tellActivityWindowOfCycle() {
    if (activityWindow_)
        activityWindow_->setSortingBusy(cycles->running());
}

void TfrmMain::Timer1Timer() {
    // Off while the cycle runs, so cycles never overlap and the next starts a full interval
    // after this one ended. Once the application quits the timer stays off.
    Timer1->stop();
    if (quitting_ || paused_)
        return;
    trimPending_ = true;
    const bool first = FirstCycle;
    FirstCycle = false;
    // The cycle works on a copy taken now: an edit made while it runs counts from the next one.
    // A cycle still running (the first listing of a large folder) restarts the timer as it ends.
    if (!cycles->start(app().table, first))
        trimPending_ = false;
    tellActivityWindowOfCycle();
}

void TfrmMain::cycleEnded() {
    // A start hidden in the tray gives back what the start-up touched once the first cycle has
    // run, and hiding the window what hiding it touched; the cycles after it touch only what
    // they need.
    if (trimPending_) {
        if (trimAfterNextCycle_ && app().visibleCount == 0)
            TrimWorkingSet();
        trimAfterNextCycle_ = false;
    }
    trimPending_ = false;
    tellActivityWindowOfCycle();
    if (notices_)
        notices_->look();
    // Sort Now's operations queued behind the cycle are finished as well before the end.
    if (endAfterCycle_ && !cycles->running()) {
        if (exitWait_)
            exitWait_->hide();
        emit endRequested();
        return;
    }
    if (!quitting_ && !paused_)
        Timer1->start();
}

} // namespace lp
