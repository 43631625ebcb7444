#pragma once
// The main window: the monitored folders with their commands, the rule list panel of the selected
// folder, the monitor timer, the menus and the tray icon. It coordinates; the table edits, the
// panel, the tray and the dialogs live in their own classes.

#include "desktop/cycle_thread.h"
#include "desktop/sorting_cycle.h"
#include "main_menu.h"
#include "ruledef/rule_panel_host.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>

class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace lp {

struct ServiceTable;
class TCheckListBox;
class FrameMemory;
class TfrmActivity;
class TfrSwapRules;
class TfrmHelp;
class OperationNotices;
class ExitWait;
class TrayIcon;

class TfrmMain : public QMainWindow, public RulePanelHost {
    Q_OBJECT
public:
    // The window works on lp::app(): its table, configuration path and stored window settings.
    // The program runs the cycles on a thread of their own; tests of the window run them inline,
    // each before the timer's slot returns.
    explicit TfrmMain(MonitorCycle cycle, CycleThread::Mode mode = CycleThread::Mode::Inline,
                      QWidget* parent = nullptr);

    // RulePanelHost
    int selectedServiceLine() const override;
    rServiceRules* currentServiceRecord() override;
    void BuildRuleLists(std::uint8_t id) override;
    bool saveConfiguration() override;

    // Asked by a later instance: restore the window if minimised, raise and activate it when it
    // is shown (covered by other windows, say), and raise an open dialog above it.
    void comeForward();

    QTabWidget* PageControl1 = nullptr;
    QWidget* tsOthers = nullptr;
    QLabel* Label9 = nullptr;
    TCheckListBox* clService = nullptr;
    QPushButton* btnAddService = nullptr;
    QPushButton* btnEditService = nullptr;
    QPushButton* btnDeleteService = nullptr;
    TfrSwapRules* frSwapRules6 = nullptr;
    // The folder list's context menu: Sort Now, Edit Folder and Remove Folder for the line
    // under the pointer.
    QMenu* FolderMenu = nullptr;
    QAction* SortNow2 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    QTimer* Timer1 = nullptr; // the monitor timer, 5000 ms after the last cycle ended
    CycleThread* cycles = nullptr;
    bool FirstCycle = false; // true until the first monitor cycle has run

    MainMenu menus;
    TrayIcon* tray = nullptr;

    // How Sort Now previews and carries out, on the cycle thread; the program's shares the
    // cycles' log. By default the real disk and the default activity log.
    void setSortNowWork(SortNowWork work) { sortNowWork_ = std::move(work); }

    // Whether the application is quitting: from then on a close request really closes and no
    // monitor cycle runs.
    bool quitting() const { return quitting_; }

    // Whether sorting is paused: no monitor cycle runs meanwhile. Kept in the settings store, so
    // that the next start is paused too.
    bool paused() const { return paused_; }
    // Pauses or resumes sorting and stores the state; a settings file that cannot be written is
    // reported, and the state holds for this run all the same.
    void setPaused(bool paused);

    // Whether the program may close: the application quits, or there is no notification area
    // to bring a hidden window back from. Otherwise the window state is stored and the window
    // hides, the program going on in the tray. A settings file that cannot be written is
    // reported and leaves the window as it is.
    void FormCloseQuery(bool& canClose);

signals:
    // The program is to end: "Exit Larchpost", or a close request that may close.
    void endRequested();

public slots:
    void FormCreate();
    void BuildOtherServiceList();
    void clServiceClick();
    void clServiceClickCheck();
    void clServiceDblClick();
    void btnAddServiceClick();
    void btnEditServiceClick();
    void btnDeleteServiceClick();
    // Sort Now for the highlighted folder: its preview, then the operations the user keeps.
    void SortNow1Click();
    void clServiceContextMenu(const QPoint& position);
    void Timer1Timer();
    // A cycle has ended: the next one is due a full interval later.
    void cycleEnded();
    // The progress of the operation under way, for the tray and the exit's window.
    void operationProgress(const lp::OperationProgress& now);

    void Close1Click();
    // Opens the Activity window, or brings the open one forward.
    void Activity1Click();
    void PauseSorting1Click();
    void AdditionalOptions1Click();
    void Contents1Click();
    void About1Click();
    void Details1Click();
    void trayIconClick();
    void trayIconDoubleClick();
    void ViewBrindleboxWindow1Click();
    void ExitBrindlebox1Click();
    void Support1Click();
    void OnlineForums1Click();
    void Product1Click();
    void Product2Click();
    void Product3Click();
    // The session manager's save request (a checkpoint, a log-out that another program may still
    // cancel, or the real end): the window's place and size are stored, nothing else.
    void WMQUERYENDSESSION();
    // The application really quits (the session's end, or any request to quit the whole
    // program): the monitor timer stops for good and close requests close.
    void applicationQuitting();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void layOutFolderPage();
    // Makes line the selection without it counting as the user's click.
    void selectFolderLine(int line);
    // The folder commands and "Add Rule..." act on the highlighted folder: on only while there is
    // one.
    void enableFolderCommands();

    void connectMenus();
    // Opens the help section of the Links entry of that object name.
    void openLinksEntry(const char* name);
    // Shows the help window at the start of the help file, or at its section of that anchor
    // name; a missing help file is told at the window's corner.
    void openHelp(const QString& section);
    // Copies the window's position and outer size into the stored settings.
    void copyGeometryToSettings();
    // Stores the window's state as a close request does: the geometry of a normal window, the
    // maximised mark of a maximised one, nothing for a minimised one. False when the settings
    // file could not be written.
    bool storeWindowState();
    // Files present at start-up never count as new, while what arrives before the first cycle
    // (an interval later, or after a pause the program started in) does: the folders are listed
    // at start-up, nothing is acted on, and the cycles after it see arrivals as new.
    void takeFirstListing();
    // A folder that was just added or ticked is listed at once, as at start-up: what arrives
    // after the click is new to the next cycle.
    void listFolderNow(const rServiceRules& service);
    // The Activity window's Undo waits while a cycle runs.
    void tellActivityWindowOfCycle();
    // Ends the program once the cycle under way has ended, saying what it finishes when that is
    // long; the user may stop it instead.
    void endWhenWorkIsDone();
    // Opens or updates the window that says what the program's end waits for.
    void showExitWait();
    // The tray, the window's menu and its title show whether sorting is paused.
    void showPaused();
    // The pause state the settings store keeps from the last run.
    static bool readStoredPause();

    bool trimPending_ = false; // the cycle in progress is the timer's, not the first listing
    bool selectingByProgram_ = false;
    bool quitting_ = false;
    bool paused_ = false;
    // "Exit Larchpost" came while a cycle ran: the program ends as the cycle does.
    bool endAfterCycle_ = false;
    OperationProgress progress_; // the operation under way, when one is long
    ExitWait* exitWait_ = nullptr;
    bool trimAfterNextCycle_ = true; // after the start, and after hiding the window to the tray
    TfrmHelp* helpWindow_ = nullptr;
    TfrmActivity* activityWindow_ = nullptr;
    OperationNotices* notices_ = nullptr;
    FrameMemory* frameMemory_ = nullptr;
    SortNowWork sortNowWork_ = DesktopSortingCycle().sortNowWork();
};

} // namespace lp
