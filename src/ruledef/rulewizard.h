#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace lp {

class RulePanelHost;
class RulePreviewPanel;
class TCheckListBox;
class TParamListBox;

// The two-page rule wizard. Page 1 picks the trigger; page 2 ticks conditions and actions, shows
// the rule as a sentence with parameter links and names it. It works on the working rule
// (working_rule.h) and writes into the current service record only when finished. Before creating
// it, the caller sets ruleEditRequest().
class TfrmRule : public QDialog {
    Q_OBJECT
public:
    // Positions in clConditions and clActions.
    enum ConditionItem {
        kItemExt = 0,
        kItemSize,
        kItemName,
        kItemNameNot,
        kItemType,
        kItemOrigin,
        kItemAnyOne, // not a condition: any one of them is enough
        kItemDate,
        kItemOldest,
        kItemNewest
    };
    // The lines every trigger offers; the date lines follow only for a count or a size trigger.
    static constexpr int kItemsForNewFiles = kItemDate;
    static constexpr int kItemsForAllFiles = kItemNewest + 1;
    // kItemStopAfter is no action: the files the rule took are left to no later rule.
    enum ActionItem {
        kItemMove = 0,
        kItemCopy,
        kItemDelete,
        kItemLaunch,
        kItemRename,
        kItemStopAfter
    };

    explicit TfrmRule(RulePanelHost& host, QWidget* parent = nullptr);

    QStackedWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label7 = nullptr;
    QRadioButton* rbNewComp = nullptr;
    QLabel* Label8 = nullptr;
    QRadioButton* rbTotalFileCount = nullptr;
    QRadioButton* rbTotalFileSize = nullptr;
    QLabel* Label3 = nullptr;
    TCheckListBox* clConditions = nullptr;
    QLabel* Label4 = nullptr;
    TCheckListBox* clActions = nullptr;
    QLabel* Label5 = nullptr;
    TParamListBox* ParamListBox1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* teRuleName = nullptr;
    RulePreviewPanel* pnlPreview = nullptr; // beside the sentence: the files the rule would take
    QPushButton* btnPrevious = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* btnFinish = nullptr;
    QPushButton* btnNext = nullptr;

public slots:
    void FormCreate();
    void btnNextClick();
    void btnPreviousClick();
    void btnFinishClick();
    void Button4Click();
    void clConditionsClickCheck();
    void clActionsClickCheck();
    void ParamListBox1ParamClick(int index, const QString& href, const QString& shownText);
    void FormClose();
    void BuildDescription();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Places the controls for the window's size: the design's at the designed size; the lists
    // and the name take what a larger window adds, the buttons stay centred below.
    void layOutForSize();
    void buildPage1();
    void buildPage2();
    void buildButtonBar();
    void appendDateConditionItems();
    void tickStoredRule();
    void greyExclusiveRanking();
    bool onPage2() const;

    RulePanelHost& host_;
};

} // namespace lp
