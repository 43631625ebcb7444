#pragma once
// The main window: the monitored folders with their commands, the rule list panel of the selected
// folder, and the monitor timer. It coordinates; the table edits, the panel and the dialogs live
// in their own classes.

#include "rule_panel_host.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace lp {

struct ServiceTable;
class TCheckListBox;
class TfrSwapRules;

// One pass over every service of the table; firstCycle is true only for the run's first pass.
using MonitorCycle = std::function<void(ServiceTable& table, bool firstCycle)>;

class TfrmMain : public QMainWindow, public RulePanelHost {
    Q_OBJECT
public:
    // The window works on lp::app(): its table, configuration path and stored window settings.
    explicit TfrmMain(MonitorCycle cycle, QWidget* parent = nullptr);

    // RulePanelHost
    int selectedServiceLine() const override;
    rServiceRules* currentServiceRecord() override;
    void BuildRuleLists(std::uint8_t id) override;
    bool saveConfiguration() override;

    // Asked by a later instance: restore the window if minimised, raise an open dialog.
    void comeForward();

    QTabWidget* PageControl1 = nullptr;
    QWidget* tsOthers = nullptr;
    QLabel* Label9 = nullptr;
    TCheckListBox* clService = nullptr;
    QPushButton* btnAddService = nullptr;
    QPushButton* btnEditService = nullptr;
    QPushButton* btnDeleteService = nullptr;
    TfrSwapRules* frSwapRules6 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    QTimer* Timer1 = nullptr; // the monitor timer, 5000 ms
    bool FirstCycle = false;  // true until the first monitor cycle has run

public slots:
    void FormCreate();
    void BuildOtherServiceList();
    void clServiceClick();
    void clServiceClickCheck();
    void clServiceDblClick();
    void btnAddServiceClick();
    void btnEditServiceClick();
    void btnDeleteServiceClick();
    void Timer1Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOutFolderPage();
    // Makes line the selection without it counting as the user's click.
    void selectFolderLine(int line);

    MonitorCycle cycle_;
    bool selectingByProgram_ = false;
};

} // namespace lp
