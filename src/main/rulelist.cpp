#include "rulelist.h"

#include "globals/app_globals.h"
#include "ruledef/rule_panel_host.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"
#include "widgets/check_list_box.h"
#include "widgets/ui_seams.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace lp {

namespace {
constexpr int kButtonColumn = 89;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kListTop = 20;
} // namespace

TfrSwapRules::TfrSwapRules(QWidget* parent) : QWidget(parent), buttonWidth_(kButtonWidth) {
    setObjectName(QStringLiteral("TfrSwapRules"));
    resize(398, 180);
    Label1 = new QLabel(QStringLiteral("File Rules"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    clRuleList = new TCheckListBox(this);
    clRuleList->setObjectName(QStringLiteral("clRuleList"));

    auto makeButton = [this](const char* name, const char* caption, bool enabled) {
        auto* button = new QPushButton(QString::fromLatin1(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setEnabled(enabled);
        button->resize(kButtonWidth, kButtonHeight);
        return button;
    };
    btnAdd = makeButton("btnAdd", "Add Rule...", true);
    btnEdit = makeButton("btnEdit", "Edit Rule...", false);
    btnDelete = makeButton("btnDelete", "Delete Rule...", false);
    btnMoveUp = makeButton("btnMoveUp", "Move Up", false);
    btnMoveDown = makeButton("btnMoveDown", "Move Down", false);

    connect(btnAdd, &QPushButton::clicked, this, &TfrSwapRules::btnAddClick);
    connect(btnEdit, &QPushButton::clicked, this, &TfrSwapRules::btnEditClick);
    connect(btnDelete, &QPushButton::clicked, this, &TfrSwapRules::btnDeleteClick);
    connect(btnMoveUp, &QPushButton::clicked, this, &TfrSwapRules::btnMoveUpClick);
    connect(btnMoveDown, &QPushButton::clicked, this, &TfrSwapRules::btnMoveDownClick);
    // A click that moves the highlight, or takes it away (on the empty part of the list), sets the
    // buttons. Emptying the list is not a click: the buttons of an empty list are the host's to
    // set, since "Add Rule..." stays off while there is no folder to add a rule to.
    connect(clRuleList, &QListWidget::itemSelectionChanged, this, [this] {
        if (clRuleList->count() > 0)
            clRuleListClick();
    });
    connect(clRuleList, &QListWidget::itemDoubleClicked, this, &TfrSwapRules::clRuleListDblClick);
    connect(clRuleList, &TCheckListBox::clickCheck, this, &TfrSwapRules::clRuleListClickCheck);
    layoutControls(); // a hidden panel gets no resize event until it is shown
}

void TfrSwapRules::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

int TfrSwapRules::widestButtonNeed() const {
    int widest = 0;
    for (const QPushButton* button : {btnAdd, btnEdit, btnDelete, btnMoveUp, btnMoveDown})
        widest = std::max(widest, button->sizeHint().width());
    return widest;
}

void TfrSwapRules::setButtonWidth(int width) {
    buttonWidth_ = std::max(width, kButtonWidth);
    layoutControls();
}

// The list fills the panel beside a column of buttons, which keeps its margins around buttons
// made wider for the desktop's font.
void TfrSwapRules::layoutControls() {
    const int column = kButtonColumn + (buttonWidth_ - kButtonWidth);
    const int listWidth = width() - column;
    Label1->setGeometry(0, 2, listWidth, kListTop - 4);
    clRuleList->setGeometry(0, kListTop, listWidth - 4, height() - kListTop);
    const int x = listWidth + (column - buttonWidth_) / 2;
    const int tops[] = {24, 52, 80, 120, 144};
    QPushButton* buttons[] = {btnAdd, btnEdit, btnDelete, btnMoveUp, btnMoveDown};
    for (int i = 0; i < 5; ++i)
        buttons[i]->setGeometry(x, tops[i], buttonWidth_, kButtonHeight);
}

void TfrSwapRules::SetButtons() {
    btnAdd->setEnabled(true);
    const int n = clRuleList->count();
    if (n == 0) {
        btnEdit->setEnabled(false);
        btnDelete->setEnabled(false);
        btnMoveDown->setEnabled(false);
        btnMoveUp->setEnabled(false);
        return;
    }
    // Every other command acts on the highlighted rule, so without one they are off.
    const int s = clRuleList->selectedLine();
    btnEdit->setEnabled(s >= 0);
    btnDelete->setEnabled(s >= 0);
    btnMoveUp->setEnabled(s > 0);
    btnMoveDown->setEnabled(s >= 0 && s < n - 1);
}

namespace {

bool holdsRule(const rServiceRules* service, int index) {
    return service != nullptr && index >= 0 && index < service->rulelist.rulecnt &&
           index < static_cast<int>(service->rulelist.rules.size());
}

} // namespace

void TfrSwapRules::rebuildAndSelect(int line) {
    host_->BuildRuleLists(app().currentServiceId);
    if (line >= 0 && line < clRuleList->count())
        clRuleList->setCurrentRow(line);
    SetButtons();
}

bool TfrSwapRules::runWizard(bool editFlag, int ruleIndex) {
    RuleEditRequest& request = ruleEditRequest();
    request.editFlag = editFlag;
    request.ruleIndex = ruleIndex;
    TfrmRule wizard(*host_, window());
    return runModal(wizard) == QDialog::Accepted;
}

// The wizard has saved the new rule itself.
void TfrSwapRules::btnAddClick() {
    if (host_ == nullptr)
        return;
    if (runWizard(false, -1))
        rebuildAndSelect(0);
}

void TfrSwapRules::btnEditClick() {
    if (host_ == nullptr)
        return;
    const int s = clRuleList->selectedLine();
    if (!holdsRule(host_->currentServiceRecord(), s))
        return;
    if (runWizard(true, s))
        rebuildAndSelect(s);
}

// No confirmation: a deleted rule is quickly made again, and the folder's files are untouched.
void TfrSwapRules::btnDeleteClick() {
    if (host_ == nullptr)
        return;
    const int s = clRuleList->selectedLine();
    rServiceRules* service = host_->currentServiceRecord();
    if (holdsRule(service, s)) {
        RuleList& list = service->rulelist;
        list.rules.erase(list.rules.begin() + s);
        --list.rulecnt;
    }
    rebuildAndSelect(0);
    host_->saveConfiguration();
}

// Moving a rule changes when the monitor cycle evaluates it; the moved rule stays selected.
void TfrSwapRules::btnMoveUpClick() {
    if (host_ == nullptr)
        return;
    const int s = clRuleList->selectedLine();
    rServiceRules* service = host_->currentServiceRecord();
    const bool moved = s > 0 && holdsRule(service, s);
    if (moved)
        std::swap(service->rulelist.rules[s - 1], service->rulelist.rules[s]);
    rebuildAndSelect(moved ? s - 1 : s);
    host_->saveConfiguration();
}

void TfrSwapRules::btnMoveDownClick() {
    if (host_ == nullptr)
        return;
    const int s = clRuleList->selectedLine();
    rServiceRules* service = host_->currentServiceRecord();
    const bool moved = holdsRule(service, s) && holdsRule(service, s + 1);
    if (moved)
        std::swap(service->rulelist.rules[s], service->rulelist.rules[s + 1]);
    rebuildAndSelect(moved ? s + 1 : s);
    host_->saveConfiguration();
}

void TfrSwapRules::clRuleListClick() {
    SetButtons();
}

void TfrSwapRules::clRuleListDblClick() {
    btnEditClick();
}

// A switched-off rule keeps its place in the list, the file and the order.
void TfrSwapRules::clRuleListClickCheck() {
    if (host_ == nullptr)
        return;
    const int s = clRuleList->selectedLine();
    rServiceRules* service = host_->currentServiceRecord();
    if (!holdsRule(service, s))
        return;
    service->rulelist.rules[s].enabled = clRuleList->checked(s);
    host_->saveConfiguration();
}

} // namespace lp
