#include "rulelist.h"

#include "rule_panel_host.h"
#include "widgets/check_list_box.h"

#include <QLabel>
#include <QPushButton>

namespace lp {

namespace {
constexpr int kButtonColumn = 89;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kListTop = 20;
} // namespace

TfrSwapRules::TfrSwapRules(QWidget* parent) : QWidget(parent) {
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
    connect(clRuleList, &QListWidget::currentRowChanged, this, &TfrSwapRules::clRuleListClick);
    connect(clRuleList, &QListWidget::itemDoubleClicked, this, &TfrSwapRules::clRuleListDblClick);
    connect(clRuleList, &TCheckListBox::clickCheck, this, &TfrSwapRules::clRuleListClickCheck);
}

void TfrSwapRules::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int listWidth = width() - kButtonColumn;
    Label1->setGeometry(0, 2, listWidth, kListTop - 4);
    clRuleList->setGeometry(0, kListTop, listWidth - 4, height() - kListTop);
    const int x = listWidth + (kButtonColumn - kButtonWidth) / 2;
    const int tops[] = {24, 52, 80, 120, 144};
    QPushButton* buttons[] = {btnAdd, btnEdit, btnDelete, btnMoveUp, btnMoveDown};
    for (int i = 0; i < 5; ++i)
        buttons[i]->move(x, tops[i]);
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
    const int s = clRuleList->currentRow();
    btnEdit->setEnabled(true);
    btnDelete->setEnabled(true);
    btnMoveUp->setEnabled(s > 0);
    btnMoveDown->setEnabled(s < n - 1);
}

// The commands on rules arrive with the rule editor.
void TfrSwapRules::btnAddClick() {}
void TfrSwapRules::btnEditClick() {}
void TfrSwapRules::btnDeleteClick() {}
void TfrSwapRules::btnMoveUpClick() {}
void TfrSwapRules::btnMoveDownClick() {}
void TfrSwapRules::clRuleListClick() {
    SetButtons();
}
void TfrSwapRules::clRuleListDblClick() {}
void TfrSwapRules::clRuleListClickCheck() {}

} // namespace lp
