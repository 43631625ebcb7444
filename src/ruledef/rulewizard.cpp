#include "rulewizard.h"

#include "globals/app_globals.h"
#include "log_category.h"
#include "param_click.h"
#include "rule_description.h"
#include "rule_panel_host.h"
#include "rule_preview_panel.h"
#include "typed_values.h"
#include "widgets/check_list_box.h"
#include "widgets/keyboard_access.h"
#include "widgets/param_list_box.h"
#include "widgets/placement.h"
#include "widgets/size_memory.h"
#include "widgets/ui_seams.h"
#include "working_rule.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <algorithm>
#include <array>

namespace lp {

namespace {

constexpr int kClientWidth = 376;
constexpr int kClientHeight = 406;
constexpr int kPageHeight = 370;
constexpr int kMargin = 8;
constexpr int kInnerWidth = kClientWidth - 2 * kMargin;
// The preview of the rule's files stands right of the designed controls; below this width it
// has no room and is hidden.
constexpr int kPreviewRoom = 320;
constexpr int kNarrowestPreview = 140;

const char* const kExtItem = "Where file extension is specified extension";
const char* const kSizeItem = "Where file size is specified";
const char* const kNameItem = "Where file name matches specified patterns";
const char* const kNameNotItem = "Where file name does not match specified patterns";
const char* const kTypeItem = "Where file type is one of specified types";
// Short enough to show whole in the list at the wizard's first size.
const char* const kOriginItem = "Where file came from specified addresses";
const char* const kAnyOneItem = "Any one of the conditions is enough";
const char* const kDateItem = "Where file date is specified";
const char* const kOldestItem = "Where file date is the oldest specified of all files";
const char* const kNewestItem = "Where file date is the newest specified of all files";

// The condition kind of each line of clConditions: the oldest-files line comes before the
// newest-files line, unlike their kind values.
// The any-one line holds no kind; kNoKind stands in its place.
constexpr std::uint8_t kNoKind = 0xFF;
constexpr std::array<std::uint8_t, 10> kConditionOfItem = {
    FileExt,        FileSize, FileNameMatching, FileNameNotMatching, FileTypeMatching,
    DownloadedFrom, kNoKind,  FileDate,         FileDateOld,         FileDateNew};
constexpr std::array<std::uint8_t, 5> kActionOfItem = {rMove, rCopy, rDelete, rLaunch, rRename};

int conditionItemOf(std::uint8_t kind) {
    if (kind == kNoKind)
        return -1;
    for (std::size_t i = 0; i < kConditionOfItem.size(); ++i)
        if (kConditionOfItem[i] == kind)
            return static_cast<int>(i);
    return -1;
}

int actionItemOf(std::uint8_t kind) {
    for (std::size_t i = 0; i < kActionOfItem.size(); ++i)
        if (kActionOfItem[i] == kind)
            return static_cast<int>(i);
    return -1; // FTP actions have no line: they are carried through untouched
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, const QRect& geometry) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QRadioButton* makeRadio(QWidget* parent, const char* name, const char* text,
                        const QRect& geometry) {
    auto* radio = new QRadioButton(QString::fromLatin1(text), parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setGeometry(geometry);
    return radio;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 80, 25);
    return button;
}

// A move or copy into the watched folder itself would bring the file back as a new arrival at
// the next cycle: a move then fails at every cycle, a copy multiplies the file.
Problem intoWatchedFolderRefusal(const RuleRec& given, const rServiceRules& service) {
    const QString watched = QString::fromStdString(service.sharedir);
    for (const ruleactionrec& action : copyCountedParts(given).actions) {
        if (action.raction == rMove &&
            sameFolder(QString::fromStdString(action.racmove.filepath), watched))
            return "Move file path cannot be the monitored folder itself.";
        if (action.raction == rCopy &&
            sameFolder(QString::fromStdString(action.raccopy.filepath), watched))
            return "Copy file path cannot be the monitored folder itself.";
    }
    return std::nullopt;
}

} // namespace

TfrmRule::TfrmRule(RulePanelHost& host, QWidget* parent) : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("frmRule"));
    setWindowTitle(QStringLiteral("Rule Definition"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setMinimumSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(true);
    resize(kClientWidth + kPreviewRoom, kClientHeight);

    PageControl1 = new QStackedWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, kClientWidth, kPageHeight);
    buildPage1();
    buildPage2();
    buildButtonBar();

    connect(this, &QDialog::finished, this, &TfrmRule::FormClose);
    FormCreate();
    giveButtonMnemonics(*this);
    keepFocusWhenDisabled(*this);
    rememberWindowSize(*this, QStringLiteral("Rule"));
    layOutForSize();
}

void TfrmRule::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layOutForSize();
}

void TfrmRule::layOutForSize() {
    // What the window adds to the designed size with the preview goes half to the designed
    // controls, half to the preview.
    const int beyondDesign = std::max(0, width() - kClientWidth);
    const int grown = std::max(0, beyondDesign - kPreviewRoom) / 2;
    const int taller = std::max(0, height() - kClientHeight);
    const int inner = kInnerWidth + grown;
    PageControl1->setGeometry(0, 0, kClientWidth + beyondDesign, kPageHeight + taller);
    const int previewWidth = std::max(0, beyondDesign - grown - kMargin);
    pnlPreview->setGeometry(kClientWidth + grown, 6, previewWidth, kPageHeight + taller - 12);
    pnlPreview->setVisible(previewWidth >= kNarrowestPreview);
    // The description gets half of what is added, each list of choices a quarter.
    const int quarter = taller / 4;
    const int descriptionGrowth = taller - 2 * quarter;
    Label3->setGeometry(kMargin, 6, inner, 16);
    clConditions->setGeometry(kMargin, 22, inner, 90 + quarter);
    Label4->setGeometry(kMargin, 118 + quarter, inner, 16);
    clActions->setGeometry(kMargin, 134 + quarter, inner, 72 + quarter);
    Label5->setGeometry(kMargin, 212 + 2 * quarter, inner, 16);
    ParamListBox1->setGeometry(kMargin, 228 + 2 * quarter, inner, 94 + descriptionGrowth);
    ParamListBox1->fitWholeRows(94 + descriptionGrowth);
    Label6->setGeometry(kMargin, 328 + taller, inner, 16);
    teRuleName->setGeometry(kMargin, 344 + taller, inner, 22);
    const int y = kPageHeight + 5 + taller;
    int x = 16 + beyondDesign / 2;
    for (QPushButton* button : {btnPrevious, Button4, btnFinish, btnNext}) {
        button->move(x, y);
        x += 88;
    }
}

void TfrmRule::buildPage1() {
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addWidget(TabSheet1);

    Label1 = makeLabel(TabSheet1, "Label1",
                       "Select When To Apply This Rule:", QRect(12, 16, kInnerWidth, 18));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label7 = makeLabel(TabSheet1, "Label7", "New File Operations:", QRect(20, 52, 320, 18));
    rbNewComp = makeRadio(TabSheet1, "rbNewComp", "Whenever a new completed file is present",
                          QRect(32, 74, 340, 22));
    Label8 = makeLabel(TabSheet1, "Label8", "All File Operations:", QRect(20, 114, 320, 18));
    rbTotalFileCount =
        makeRadio(TabSheet1, "rbTotalFileCount",
                  "Whenever total file count exceeds specified number", QRect(32, 136, 340, 22));
    rbTotalFileSize =
        makeRadio(TabSheet1, "rbTotalFileSize", "Whenever total file size exceeds specified limit",
                  QRect(32, 162, 340, 22));
    rbNewComp->setChecked(true);
}

void TfrmRule::buildPage2() {
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addWidget(TabSheet2);

    Label3 = makeLabel(TabSheet2, "Label3",
                       "Additional Conditions:", QRect(kMargin, 6, kInnerWidth, 16));
    clConditions = new TCheckListBox(TabSheet2);
    clConditions->setObjectName(QStringLiteral("clConditions"));
    clConditions->setGeometry(kMargin, 22, kInnerWidth, 90);
    for (const char* text :
         {kExtItem, kSizeItem, kNameItem, kNameNotItem, kTypeItem, kOriginItem, kAnyOneItem})
        clConditions->addLine(QString::fromLatin1(text));
    appendDateConditionItems();

    Label4 = makeLabel(TabSheet2, "Label4", "Actions:", QRect(kMargin, 118, kInnerWidth, 16));
    clActions = new TCheckListBox(TabSheet2);
    clActions->setObjectName(QStringLiteral("clActions"));
    clActions->setGeometry(kMargin, 134, kInnerWidth, 72);
    for (const char* text :
         {"Move file to specified directory", "Copy file to specified directory", "Delete file",
          "Launch program/script", "Rename file", "Leave these files to no later rule"})
        clActions->addLine(QString::fromLatin1(text));

    Label5 =
        makeLabel(TabSheet2, "Label5", "Rule Conditions:", QRect(kMargin, 212, kInnerWidth, 16));
    ParamListBox1 = new TParamListBox(TabSheet2);
    ParamListBox1->setObjectName(QStringLiteral("ParamListBox1"));
    ParamListBox1->setGeometry(kMargin, 228, kInnerWidth, 94);
    ParamListBox1->fitWholeRows(94);

    Label6 = makeLabel(TabSheet2, "Label6",
                       "Enter a name for this rule:", QRect(kMargin, 328, kInnerWidth, 16));
    teRuleName = new QLineEdit(TabSheet2);
    teRuleName->setObjectName(QStringLiteral("teRuleName"));
    teRuleName->setGeometry(kMargin, 344, kInnerWidth, 22);
    pnlPreview = new RulePreviewPanel(TabSheet2);

    connect(clConditions, &TCheckListBox::clickCheck, this, &TfrmRule::clConditionsClickCheck);
    connect(clActions, &TCheckListBox::clickCheck, this, &TfrmRule::clActionsClickCheck);
    connect(ParamListBox1, &TParamListBox::paramClick, this, &TfrmRule::ParamListBox1ParamClick);
}

void TfrmRule::buildButtonBar() {
    constexpr int y = kPageHeight + 5;
    btnPrevious = makeButton(this, "btnPrevious", "<< Previous", 16, y);
    Button4 = makeButton(this, "Button4", "Cancel", 104, y);
    btnFinish = makeButton(this, "btnFinish", "Finish", 192, y);
    btnNext = makeButton(this, "btnNext", "Next >>", 280, y);
    btnNext->setDefault(true);

    connect(btnPrevious, &QPushButton::clicked, this, &TfrmRule::btnPreviousClick);
    connect(Button4, &QPushButton::clicked, this, &TfrmRule::Button4Click);
    connect(btnFinish, &QPushButton::clicked, this, &TfrmRule::btnFinishClick);
    connect(btnNext, &QPushButton::clicked, this, &TfrmRule::btnNextClick);
}

void TfrmRule::appendDateConditionItems() {
    for (const char* text : {kDateItem, kOldestItem, kNewestItem})
        clConditions->addLine(QString::fromLatin1(text));
}

bool TfrmRule::onPage2() const {
    return PageControl1->currentWidget() == TabSheet2;
}

void TfrmRule::FormCreate() {
    PageControl1->setCurrentWidget(TabSheet1);
    btnNext->setEnabled(true);
    btnPrevious->setEnabled(false);
    btnFinish->setEnabled(false);
    placeDialogOverMainWindow(*this);

    RuleRec& rule = workingRule();
    rule = freshRule();
    pnlPreview->setFolder(host_.currentServiceRecord());
    const RuleEditRequest& request = ruleEditRequest();
    if (request.editFlag) {
        const rServiceRules* service = host_.currentServiceRecord();
        const int index = request.ruleIndex;
        if (service != nullptr && index >= 0 && index < service->rulelist.rulecnt &&
            index < static_cast<int>(service->rulelist.rules.size())) {
            rule = copyCountedParts(service->rulelist.rules[static_cast<std::size_t>(index)]);
            tickStoredRule();
        }
    }
    teRuleName->setText(QString::fromStdString(rule.rulename));
}

// Shows the working rule of an edit in the trigger buttons and the two lists.
void TfrmRule::tickStoredRule() {
    const RuleRec& rule = workingRule();
    if (rule.mcond == FileCount)
        rbTotalFileCount->setChecked(true);
    else if (rule.mcond == TotalFileSize)
        rbTotalFileSize->setChecked(true);

    for (const ruleacondrec& cond : rule.conds) {
        const int item = conditionItemOf(cond.rcond);
        if (item < 0)
            continue;
        clConditions->setChecked(item, true);
    }
    clConditions->setChecked(kItemAnyOne, rule.anyCondition);
    greyExclusiveRanking();
    clActions->setChecked(kItemStopAfter, rule.stopAfter);
    for (const ruleactionrec& action : rule.actions) {
        const int item = actionItemOf(action.raction);
        if (item >= 0)
            clActions->setChecked(item, true);
    }
}

// The oldest and the newest files cannot both be asked for: while one is ticked the other is
// greyed. A file may hold both; neither is greyed then, so that either can still be unticked.
void TfrmRule::greyExclusiveRanking() {
    if (clConditions->count() < kItemsForAllFiles)
        return;
    const bool oldest = clConditions->checked(kItemOldest);
    const bool newest = clConditions->checked(kItemNewest);
    clConditions->setLineEnabled(kItemOldest, !newest || oldest);
    clConditions->setLineEnabled(kItemNewest, !oldest || newest);
}

void TfrmRule::btnNextClick() {
    if (onPage2())
        return;
    RuleRec& rule = workingRule();
    if (rbNewComp->isChecked()) {
        rule.mcond = NewFile;
        while (clConditions->count() > kItemsForNewFiles)
            clConditions->deleteLine(clConditions->count() - 1);
        removeDateConditions(rule);
    } else {
        if (clConditions->count() < kItemsForAllFiles)
            appendDateConditionItems();
        if (rbTotalFileCount->isChecked()) {
            rule.mcond = FileCount;
            if (rule.fcnt == 0)
                rule.fcnt = 20;
        } else {
            rule.mcond = TotalFileSize;
            if (rule.fsize == 0)
                rule.fsize = 10;
        }
    }
    BuildDescription();
    PageControl1->setCurrentWidget(TabSheet2);
    btnPrevious->setEnabled(true);
    btnFinish->setEnabled(true);
    btnNext->setEnabled(false);
    btnFinish->setDefault(true);
}

void TfrmRule::btnPreviousClick() {
    if (!onPage2())
        return;
    PageControl1->setCurrentWidget(TabSheet1);
    btnPrevious->setEnabled(false);
    btnFinish->setEnabled(false);
    btnNext->setEnabled(true);
    btnNext->setDefault(true);
}

void TfrmRule::clConditionsClickCheck() {
    const int item = clConditions->currentRow();
    if (item < 0 || item >= static_cast<int>(kConditionOfItem.size()))
        return;
    RuleRec& rule = workingRule();
    const std::uint8_t kind = kConditionOfItem[static_cast<std::size_t>(item)];
    const bool ticked = clConditions->checked(item);
    if (item == kItemAnyOne) {
        rule.anyCondition = ticked;
        BuildDescription();
        return;
    }
    if (ticked)
        addCondition(rule, kind);
    else
        removeFirstCondition(rule, kind);
    if (item == kItemOldest || item == kItemNewest)
        greyExclusiveRanking();
    BuildDescription();
}

void TfrmRule::clActionsClickCheck() {
    const int item = clActions->currentRow();
    RuleRec& rule = workingRule();
    if (item == kItemStopAfter) {
        rule.stopAfter = clActions->checked(item);
        BuildDescription();
        return;
    }
    if (item < 0 || item >= static_cast<int>(kActionOfItem.size()))
        return;
    const std::uint8_t kind = kActionOfItem[static_cast<std::size_t>(item)];
    if (clActions->checked(item))
        lp::addAction(rule, kind); // not QWidget::addAction
    else
        removeFirstAction(rule, kind);
    BuildDescription();
}

void TfrmRule::BuildDescription() {
    ParamListBox1->clearLines();
    for (const std::string& line : BuildDescriptionLines(workingRule()))
        ParamListBox1->addLine(QString::fromStdString(line));
    pnlPreview->ruleChanged(workingRule());
}

void TfrmRule::ParamListBox1ParamClick(int /*index*/, const QString& href,
                                       const QString& shownText) {
    editRuleParameter(this, workingRule(), href, shownText);
    BuildDescription();
}

void TfrmRule::btnFinishClick() {
    RuleRec& rule = workingRule();
    if (const auto refusal = ruleRefusal(rule)) {
        qCDebug(lcRuledef).noquote() << "rule refused:" << QString::fromStdString(*refusal);
        refuse(*this, QString::fromStdString(*refusal));
        return;
    }
    rServiceRules* service = host_.currentServiceRecord();
    if (service == nullptr) {
        refuse(*this, QStringLiteral("Select a monitored folder first."));
        return;
    }
    if (const Problem refusal = intoWatchedFolderRefusal(rule, *service)) {
        qCDebug(lcRuledef).noquote() << "rule refused:" << QString::fromStdString(*refusal);
        refuse(*this, QString::fromStdString(*refusal));
        return;
    }
    const std::string name = teRuleName->text().toStdString();
    if (const auto refusal = ruleNameRefusal(name)) {
        refuse(*this, QString::fromStdString(*refusal));
        return;
    }

    rule.rulename = name; // exactly as typed, blanks included
    RuleList& list = service->rulelist;
    const RuleEditRequest& request = ruleEditRequest();
    const RuleRec stored = copyCountedParts(rule);
    if (request.editFlag) {
        if (request.ruleIndex < 0 || request.ruleIndex >= list.rulecnt ||
            request.ruleIndex >= static_cast<int>(list.rules.size())) {
            reject(); // the edited rule is gone: there is nothing to replace
            return;
        }
        // The edited rule keeps the enabled state it had when the wizard opened.
        list.rules[static_cast<std::size_t>(request.ruleIndex)] = stored;
    } else {
        list.rules.resize(static_cast<std::size_t>(std::max(list.rulecnt, 0)));
        list.rules.push_back(stored);
        list.rules.back().enabled = true;
        list.rulecnt = static_cast<std::int32_t>(list.rules.size());
    }
    host_.saveConfiguration();
    accept();
}

void TfrmRule::Button4Click() {
    reject();
}

// The working rule of a closed wizard is dropped; the next wizard starts afresh.
void TfrmRule::FormClose() {
    workingRule() = freshRule();
}

} // namespace lp
