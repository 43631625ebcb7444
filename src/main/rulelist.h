#pragma once
#include <QWidget>

class QLabel;
class QPushButton;

namespace lp {

class RulePanelHost;
class TCheckListBox;

// The rule list panel: the ordered rules of the main window's current service record, with the
// commands on them. It keeps no data of its own; its line k stands for rule k of that record.
class TfrSwapRules : public QWidget {
    Q_OBJECT
public:
    explicit TfrSwapRules(QWidget* parent = nullptr);

    void setHost(RulePanelHost* host) { host_ = host; }

    // The width the widest caption of the buttons needs in the desktop's font.
    int widestButtonNeed() const;
    // Gives every button this width (never below the design's), so that the panel's column can
    // line up with the folder buttons above it.
    void setButtonWidth(int width);

    QLabel* Label1 = nullptr;
    TCheckListBox* clRuleList = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnMoveUp = nullptr;
    QPushButton* btnMoveDown = nullptr;

public slots:
    void SetButtons();
    void btnAddClick();
    void btnEditClick();
    void btnDeleteClick();
    void btnMoveUpClick();
    void btnMoveDownClick();
    void clRuleListClick();
    void clRuleListDblClick();
    void clRuleListClickCheck();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutControls();
    // Refills the list through the host, selects line when it exists and updates the buttons.
    void rebuildAndSelect(int line);
    // Opens the rule wizard for a new rule or the rule at ruleIndex; true when it stored the rule.
    bool runWizard(bool editFlag, int ruleIndex);

    RulePanelHost* host_ = nullptr;
    int buttonWidth_;
};

} // namespace lp
