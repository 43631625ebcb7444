#include "ruledef/rulewizard.h"

#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "main/rule_test_host.h"
#include "ruledef/rule_preview_panel.h"
#include "ruledef/working_rule.h"
#include "support/rule_action.h"
#include "widgets/param_list_box.h"
#include "widgets/ui_seams.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <gtest/gtest.h>

#include <memory>

namespace lp {
namespace {

using testing::ruleNames;
using testing::RuleTestHost;

ruleacondrec condition(std::uint8_t kind) {
    ruleacondrec c;
    c.rcond = kind;
    return c;
}

std::vector<std::uint8_t> actionKinds(const RuleRec& rule) {
    std::vector<std::uint8_t> kinds;
    for (int i = 0; i < rule.actioncnt; ++i)
        kinds.push_back(rule.actions[static_cast<std::size_t>(i)].raction);
    return kinds;
}

std::vector<std::uint8_t> conditionKinds(const RuleRec& rule) {
    std::vector<std::uint8_t> kinds;
    for (int i = 0; i < rule.condcnt; ++i)
        kinds.push_back(rule.conds[static_cast<std::size_t>(i)].rcond);
    return kinds;
}

class RuleWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        app().currentServiceId = kOtherService;
        // Each case opens the wizard at its default size, whatever an earlier one left.
        settingsStore().remove(QStringLiteral("Software/Larchpost/Windows"),
                               QStringLiteral("Rule"));
        host.addFolder({{"first", true}});
        setWarningHook([this](const WarningShown& shown) { warnings.push_back(shown); });
    }
    void TearDown() override { setWarningHook({}); }

    TfrmRule& openNew() {
        ruleEditRequest() = {false, -1};
        wizard = std::make_unique<TfrmRule>(host);
        return *wizard;
    }

    // Stores rule as the folder's second rule and opens the wizard on it.
    TfrmRule& openEdit(const RuleRec& rule) {
        RuleList& list = host.table.services[0].rulelist;
        list.rules.push_back(rule);
        list.rulecnt = 2;
        ruleEditRequest() = {true, 1};
        wizard = std::make_unique<TfrmRule>(host);
        return *wizard;
    }

    bool onPage2() const { return wizard->PageControl1->currentWidget() == wizard->TabSheet2; }
    QString lastWarning() const { return warnings.empty() ? QString() : warnings.back().text; }
    std::vector<QString> conditionItems() const {
        std::vector<QString> items;
        for (int i = 0; i < wizard->clConditions->count(); ++i)
            items.push_back(wizard->clConditions->item(i)->text());
        return items;
    }

    RuleTestHost host;
    std::unique_ptr<TfrmRule> wizard;
    std::vector<WarningShown> warnings;
};

TEST_F(RuleWizardTest, NewRuleOpensOnTheTriggerPageWithNothingChosen) {
    TfrmRule& w = openNew();
    EXPECT_EQ(w.windowTitle(), "Rule Definition");
    EXPECT_EQ(w.size(), QSize(696, 406)); // the designed controls, and the preview beside them
    EXPECT_FALSE(onPage2());
    EXPECT_TRUE(w.rbNewComp->isChecked());
    EXPECT_TRUE(w.btnNext->isEnabled());
    EXPECT_FALSE(w.btnPrevious->isEnabled());
    EXPECT_FALSE(w.btnFinish->isEnabled());
    EXPECT_TRUE(w.teRuleName->text().isEmpty());
    EXPECT_EQ(w.ParamListBox1->lineCount(), 0);
    for (int i = 0; i < w.clActions->count(); ++i)
        EXPECT_FALSE(w.clActions->checked(i));
    for (int i = 0; i < w.clConditions->count(); ++i)
        EXPECT_FALSE(w.clConditions->checked(i));
    EXPECT_EQ(workingRule().condcnt + workingRule().actioncnt, 0);
    EXPECT_TRUE(workingRule().enabled);
    for (const char* name : {"btnPrevious", "Button4", "btnFinish", "btnNext", "teRuleName",
                             "clConditions", "clActions", "ParamListBox1", "rbTotalFileSize"})
        EXPECT_NE(w.findChild<QWidget*>(name), nullptr) << name;
}

TEST_F(RuleWizardTest, TheRuleOptionsAreTickedFromTheRuleAndToggleIt) {
    const struct {
        bool anyCondition, stopAfter;
    } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.anyCondition) + "/" + std::to_string(c.stopAfter));
        RuleRec rule;
        rule.rulename = "options";
        rule.anyCondition = c.anyCondition;
        rule.stopAfter = c.stopAfter;
        rule.actions = {test::ActionOn(rDelete)};
        rule.actioncnt = 1;
        host.table.services[0].rulelist.rules.resize(1);
        TfrmRule& w = openEdit(rule);
        w.btnNextClick();
        EXPECT_EQ(w.clConditions->checked(TfrmRule::kItemAnyOne), c.anyCondition);
        EXPECT_EQ(w.clActions->checked(TfrmRule::kItemStopAfter), c.stopAfter);
        w.clConditions->toggleByUser(TfrmRule::kItemAnyOne);
        w.clActions->toggleByUser(TfrmRule::kItemStopAfter);
        EXPECT_EQ(workingRule().anyCondition, !c.anyCondition);
        EXPECT_EQ(workingRule().stopAfter, !c.stopAfter);
        EXPECT_EQ(conditionKinds(workingRule()).size(), 0u); // no condition came with it
        EXPECT_EQ(workingRule().actioncnt, 1);
    }
}

TEST_F(RuleWizardTest, NextAndPreviousSwapTheButtons) {
    TfrmRule& w = openNew();
    w.btnNextClick();
    EXPECT_TRUE(onPage2());
    EXPECT_FALSE(w.btnNext->isEnabled());
    EXPECT_TRUE(w.btnPrevious->isEnabled());
    EXPECT_TRUE(w.btnFinish->isEnabled());
    EXPECT_EQ(w.ParamListBox1->lineCount(), 1); // the trigger line
    w.btnPreviousClick();
    EXPECT_FALSE(onPage2());
    EXPECT_TRUE(w.btnNext->isEnabled());
    EXPECT_FALSE(w.btnFinish->isEnabled());
}

TEST_F(RuleWizardTest, NewFileTriggerDropsDateItemsAndConditionsForGood) {
    RuleRec rule = freshRule();
    rule.rulename = "dated";
    rule.mcond = FileCount;
    rule.fcnt = 5;
    for (std::uint8_t kind : {FileDate, FileExt, FileDateNew, FileSize})
        rule.conds.push_back(condition(kind));
    rule.condcnt = 4;
    rule.actions = {test::ActionOn(rDelete)};
    rule.actioncnt = 1;
    TfrmRule& w = openEdit(rule);
    ASSERT_TRUE(w.rbTotalFileCount->isChecked());

    w.rbNewComp->setChecked(true);
    w.btnNextClick();
    EXPECT_EQ(workingRule().mcond, NewFile);
    EXPECT_EQ(conditionKinds(workingRule()), (std::vector<std::uint8_t>{FileExt, FileSize}));
    EXPECT_EQ(w.clConditions->count(), 7);
    EXPECT_TRUE(w.clConditions->checked(TfrmRule::kItemExt));

    w.btnPreviousClick();
    w.rbTotalFileCount->setChecked(true);
    w.btnNextClick();
    ASSERT_EQ(
        conditionItems(),
        (std::vector<QString>{
            "Where file extension is specified extension", "Where file size is specified",
            "Where file name matches specified patterns",
            "Where file name does not match specified patterns",
            "Where file type is one of specified types", "Where file came from specified addresses",
            "Any one of the conditions is enough", "Where file date is specified",
            "Where file date is the oldest specified of all files",
            "Where file date is the newest specified of all files"}));
    for (int item : {TfrmRule::kItemDate, TfrmRule::kItemOldest, TfrmRule::kItemNewest}) {
        EXPECT_FALSE(w.clConditions->checked(item));
        EXPECT_TRUE(w.clConditions->lineEnabled(item));
    }
    EXPECT_EQ(conditionKinds(workingRule()), (std::vector<std::uint8_t>{FileExt, FileSize}));
    EXPECT_EQ(workingRule().fcnt, 5);
}

struct TriggerCase {
    const char* what;
    std::int32_t fcnt, fsize;
    bool byCount;
    std::uint8_t mcond;
    std::int32_t fcntAfter, fsizeAfter;
};

TEST_F(RuleWizardTest, TriggerLimitsDefaultOnlyWhenZero) {
    const TriggerCase cases[] = {
        {"count from zero", 0, 0, true, FileCount, 20, 0},
        {"size from zero", 0, 0, false, TotalFileSize, 0, 10},
        {"count kept", 7, 0, true, FileCount, 7, 0},
        {"size kept, count untouched", 0, 3, false, TotalFileSize, 0, 3},
        {"other limit untouched", 9, 0, false, TotalFileSize, 9, 10},
    };
    for (const TriggerCase& c : cases) {
        SCOPED_TRACE(c.what);
        RuleRec rule = freshRule();
        rule.rulename = "limits";
        rule.fcnt = c.fcnt;
        rule.fsize = c.fsize;
        host.table.services[0].rulelist.rules.resize(1);
        TfrmRule& w = openEdit(rule);
        (c.byCount ? w.rbTotalFileCount : w.rbTotalFileSize)->setChecked(true);
        w.btnNextClick();
        EXPECT_EQ(workingRule().mcond, c.mcond);
        EXPECT_EQ(workingRule().fcnt, c.fcntAfter);
        EXPECT_EQ(workingRule().fsize, c.fsizeAfter);
    }
}

TEST_F(RuleWizardTest, LimitOfZeroFromTheLinkSurvivesFinishButNotAnotherNext) {
    TfrmRule& w = openNew();
    w.rbTotalFileCount->setChecked(true);
    w.btnNextClick();
    w.clActions->toggleByUser(TfrmRule::kItemDelete);
    // Typing 0 into the dialog behind the trigger's link.
    int dialogs = 0;
    setModalHook([&dialogs](QDialog& dialog) {
        ++dialogs;
        auto* input = dialog.findChild<QLineEdit*>("teInput");
        auto* ok = dialog.findChild<QPushButton*>("Button2");
        if (input == nullptr || ok == nullptr)
            return int(QDialog::Rejected);
        input->setText(QStringLiteral("0"));
        ok->click();
        return dialog.result();
    });
    ASSERT_TRUE(w.ParamListBox1->pressLink(0));
    setModalHook({});
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(workingRule().fcnt, 0);
    EXPECT_TRUE(w.ParamListBox1->line(0).contains(QStringLiteral(">0</a>")))
        << w.ParamListBox1->line(0).toStdString();

    w.btnPreviousClick();
    w.btnNextClick();
    EXPECT_EQ(workingRule().fcnt, 20);
    workingRule().fcnt = 0;
    w.teRuleName->setText(QStringLiteral("zero"));
    w.btnFinishClick();
    ASSERT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(host.table.services[0].rulelist.rules[1].fcnt, 0);
}

TEST_F(RuleWizardTest, MoveAndCopyGoBeforeATrailingDelete) {
    TfrmRule& w = openNew();
    w.btnNextClick();
    TCheckListBox& actions = *w.clActions;
    using Kinds = std::vector<std::uint8_t>;
    actions.toggleByUser(TfrmRule::kItemDelete);
    actions.toggleByUser(TfrmRule::kItemMove);
    EXPECT_EQ(actionKinds(workingRule()), (Kinds{rMove, rDelete}));
    actions.toggleByUser(TfrmRule::kItemLaunch);
    EXPECT_EQ(actionKinds(workingRule()), (Kinds{rMove, rDelete, rLaunch}));
    actions.toggleByUser(TfrmRule::kItemCopy); // the delete is no longer last
    EXPECT_EQ(actionKinds(workingRule()), (Kinds{rMove, rDelete, rLaunch, rCopy}));
    actions.toggleByUser(TfrmRule::kItemMove);
    EXPECT_EQ(actionKinds(workingRule()), (Kinds{rDelete, rLaunch, rCopy}));
    EXPECT_EQ(w.ParamListBox1->lineCount(), 4);
    // A rename is done where it stands among the actions; it is not finished without its name.
    actions.toggleByUser(TfrmRule::kItemRename);
    EXPECT_EQ(actionKinds(workingRule()), (Kinds{rDelete, rLaunch, rCopy, rRename}));
    actions.toggleByUser(TfrmRule::kItemCopy);
    actions.toggleByUser(TfrmRule::kItemLaunch);
    EXPECT_EQ(ruleRefusal(workingRule()), "New name must be specified.");
}

TEST_F(RuleWizardTest, OldestAndNewestExcludeEachOther) {
    TfrmRule& w = openNew();
    w.rbTotalFileSize->setChecked(true);
    w.btnNextClick();
    TCheckListBox& conds = *w.clConditions;
    conds.toggleByUser(TfrmRule::kItemOldest);
    EXPECT_FALSE(conds.lineEnabled(TfrmRule::kItemNewest));
    conds.toggleByUser(TfrmRule::kItemNewest); // greyed: ignored
    EXPECT_EQ(conditionKinds(workingRule()), (std::vector<std::uint8_t>{FileDateOld}));
    EXPECT_EQ(workingRule().conds[0].oldfilecnt, -1);
    conds.toggleByUser(TfrmRule::kItemOldest);
    EXPECT_TRUE(conds.lineEnabled(TfrmRule::kItemNewest));
    EXPECT_EQ(workingRule().condcnt, 0);
    conds.toggleByUser(TfrmRule::kItemNewest);
    EXPECT_FALSE(conds.lineEnabled(TfrmRule::kItemOldest));
    EXPECT_EQ(conditionKinds(workingRule()), (std::vector<std::uint8_t>{FileDateNew}));
}

TEST_F(RuleWizardTest, BothRankingsFromAFileStayUntickable) {
    RuleRec rule = freshRule();
    rule.mcond = FileCount;
    rule.conds = {condition(FileDateOld), condition(FileDateNew)};
    rule.condcnt = 2;
    TfrmRule& w = openEdit(rule);
    TCheckListBox& conds = *w.clConditions;
    EXPECT_TRUE(conds.lineEnabled(TfrmRule::kItemOldest));
    EXPECT_TRUE(conds.lineEnabled(TfrmRule::kItemNewest));
    w.btnNextClick();
    conds.toggleByUser(TfrmRule::kItemOldest);
    EXPECT_EQ(conditionKinds(workingRule()), (std::vector<std::uint8_t>{FileDateNew}));
    EXPECT_FALSE(conds.lineEnabled(TfrmRule::kItemOldest)); // now they exclude each other again
    conds.toggleByUser(TfrmRule::kItemNewest);
    EXPECT_EQ(workingRule().condcnt, 0);
    EXPECT_TRUE(conds.lineEnabled(TfrmRule::kItemOldest));
}

TEST_F(RuleWizardTest, EditCopiesOnlyCountedEntriesAndShowsThem) {
    RuleRec rule;
    rule.rulename = "stored";
    rule.enabled = false;
    rule.mcond = TotalFileSize;
    rule.fsize = 4;
    rule.conds = {condition(FileDateNew), condition(FileExt), condition(FileSize)};
    rule.conds[0].newfilecnt = 3;
    rule.condcnt = 2; // the size condition lies past the count
    ruleactionrec ftp = test::ActionOn(rFTP);
    ftp.racftp.ftpserver = "host";
    ftp.racftp.ftpport = 21;
    rule.actions = {test::ActionOn(rCopy, "/out"), ftp, test::ActionOn(rMove, "/stale")};
    rule.actioncnt = 2;
    TfrmRule& w = openEdit(rule);

    EXPECT_TRUE(w.rbTotalFileSize->isChecked());
    EXPECT_EQ(w.teRuleName->text(), "stored");
    EXPECT_TRUE(w.clConditions->checked(TfrmRule::kItemNewest));
    EXPECT_FALSE(w.clConditions->lineEnabled(TfrmRule::kItemOldest));
    EXPECT_TRUE(w.clConditions->checked(TfrmRule::kItemExt));
    EXPECT_FALSE(w.clConditions->checked(TfrmRule::kItemSize));
    EXPECT_TRUE(w.clActions->checked(TfrmRule::kItemCopy));
    EXPECT_FALSE(w.clActions->checked(TfrmRule::kItemMove));
    EXPECT_EQ(conditionKinds(workingRule()).size(), 2u);

    // A new condition takes the place after the counted ones, not the stale one behind them.
    w.btnNextClick();
    w.clConditions->toggleByUser(TfrmRule::kItemDate);
    EXPECT_EQ(conditionKinds(workingRule()),
              (std::vector<std::uint8_t>{FileDateNew, FileExt, FileDate}));
    EXPECT_EQ(workingRule().conds[2].rdays, -1);
    w.clConditions->toggleByUser(TfrmRule::kItemDate);
    workingRule().conds[1].rcondFileExt.ext = "mp3";
    w.btnFinishClick();
    ASSERT_EQ(w.result(), QDialog::Accepted);

    const RuleRec& stored = host.table.services[0].rulelist.rules[1];
    EXPECT_FALSE(stored.enabled);
    EXPECT_EQ(actionKinds(stored), (std::vector<std::uint8_t>{rCopy, rFTP}));
    EXPECT_EQ(stored.actions[1], ftp);
    EXPECT_EQ(host.table.services[0].rulelist.rulecnt, 2);
    const ServiceTable saved = host.saved();
    ASSERT_EQ(saved.services.size(), 1u);
    EXPECT_EQ(saved.services[0].rulelist.rules[1].actions[1].racftp.ftpserver, "host");
}

TEST_F(RuleWizardTest, AnyFileRuleIsStoredAsNewFileAfterNext) {
    RuleRec rule = freshRule();
    rule.rulename = "any";
    rule.mcond = AnyFile;
    rule.actions = {test::ActionOn(rDelete)};
    rule.actioncnt = 1;
    TfrmRule& w = openEdit(rule);
    EXPECT_TRUE(w.rbNewComp->isChecked());
    w.btnNextClick();
    w.btnFinishClick();
    ASSERT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(host.table.services[0].rulelist.rules[1].mcond, NewFile);
}

struct FinishCase {
    const char* what;
    std::vector<std::uint8_t> conds;
    std::vector<ruleactionrec> actions;
    const char* name;
    const char* message;
};

TEST_F(RuleWizardTest, FinishRefusesInOrderAndStaysOpen) {
    const FinishCase cases[] = {
        {"no action before anything",
         {FileExt},
         {},
         "",
         "Warning: At least one action must be checked."},
        {"move path before conditions",
         {FileExt},
         {test::ActionOn(rDelete), test::ActionOn(rMove)},
         "",
         "Move file path must be specified."},
        {"copy path", {}, {test::ActionOn(rCopy)}, "x", "Copy file path must be specified."},
        {"size before a later extension",
         {FileSize, FileExt},
         {test::ActionOn(rDelete)},
         "x",
         "File size must be specified."},
        {"extension first",
         {FileExt, FileSize},
         {test::ActionOn(rDelete)},
         "x",
         "File extension must be specified."},
        {"days", {FileDate}, {test::ActionOn(rDelete)}, "x", "Number of days must be specified."},
        {"ranking after the listed checks",
         {FileDateNew, FileDate},
         {test::ActionOn(rDelete)},
         "x",
         "Number of days must be specified."},
        {"newest count",
         {FileDateNew},
         {test::ActionOn(rDelete)},
         "",
         "Number of files must be specified."},
        {"oldest count",
         {FileDateOld},
         {test::ActionOn(rLaunch)},
         "x",
         "Number of files must be specified."},
        {"launch program before the name",
         {},
         {test::ActionOn(rLaunch)},
         "",
         "Program to launch must be specified."},
        {"name", {}, {test::ActionOn(rMove, "/out")}, "", "Please a name for the rule"},
        {"line break",
         {},
         {test::ActionOn(rDelete)},
         "two\nlines",
         "Line breaks are not allowed in rule names."},
        {"blanks only", {}, {test::ActionOn(rDelete)}, " \t ", "Rule name cannot be only blanks."},
        {"move into the watched folder, before the name",
         {},
         {test::ActionOn(rCopy, "/out"), test::ActionOn(rMove, "/tmp/in")},
         "",
         "Move file path cannot be the monitored folder itself."},
        {"copy into the watched folder spelt otherwise",
         {},
         {test::ActionOn(rCopy, "/tmp//in/")},
         "x",
         "Copy file path cannot be the monitored folder itself."},
    };
    for (const FinishCase& c : cases) {
        SCOPED_TRACE(c.what);
        TfrmRule& w = openNew();
        w.rbTotalFileCount->setChecked(true);
        w.btnNextClick();
        for (std::uint8_t kind : c.conds)
            addCondition(workingRule(), kind);
        workingRule().actions = c.actions;
        workingRule().actioncnt = static_cast<std::int32_t>(c.actions.size());
        w.teRuleName->setText(QString::fromLatin1(c.name));
        const RuleRec before = workingRule();
        warnings.clear();

        w.btnFinishClick();
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(lastWarning(), c.message);
        EXPECT_EQ(warnings.back().topLeft, w.frameGeometry().topLeft());
        EXPECT_NE(w.result(), QDialog::Accepted);
        EXPECT_TRUE(onPage2());
        EXPECT_EQ(actionKinds(workingRule()), actionKinds(before));
        EXPECT_EQ(host.table.services[0].rulelist.rulecnt, 1);
        EXPECT_EQ(host.saves, 0);
    }
}

TEST_F(RuleWizardTest, FinishWithoutAFolderRefusesAfterTheRuleChecksAndBeforeTheName) {
    host.line = -1;
    TfrmRule& w = openNew();
    w.btnNextClick();
    w.btnFinishClick();
    EXPECT_EQ(lastWarning(), "Warning: At least one action must be checked.");
    w.clActions->toggleByUser(TfrmRule::kItemDelete);
    w.btnFinishClick();
    EXPECT_EQ(lastWarning(), "Select a monitored folder first.");
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_EQ(host.saves, 0);

    host.line = 0; // a folder was chosen meanwhile: the same wizard now stores the rule
    w.teRuleName->setText(QStringLiteral("late"));
    w.btnFinishClick();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(ruleNames(host.table.services[0]), (std::vector<std::string>{"first", "late"}));
}

TEST_F(RuleWizardTest, NewRuleIsStoredEnabledAtTheEndWithItsNameAsTyped) {
    host.table.services[0].rulelist.rules[0].enabled = false;
    host.table.services[0].rulelist.rules.resize(3); // longer than rulecnt: the extras are stale
    TfrmRule& w = openNew();
    w.rbTotalFileSize->setChecked(true);
    w.btnNextClick();
    w.clConditions->toggleByUser(TfrmRule::kItemExt);
    w.clActions->toggleByUser(TfrmRule::kItemDelete);
    w.clActions->toggleByUser(TfrmRule::kItemMove);
    workingRule().conds[0].rcondFileExt.ext = "mp3";
    workingRule().actions[0].racmove.filepath = "/music";
    w.teRuleName->setText(QStringLiteral("  spaced  "));
    w.btnFinishClick();
    ASSERT_EQ(w.result(), QDialog::Accepted);
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(host.saves, 1);

    const ServiceTable saved = host.saved();
    ASSERT_EQ(saved.services.size(), 1u);
    ASSERT_EQ(saved.services[0].rulelist.rulecnt, 2);
    const RuleRec& stored = saved.services[0].rulelist.rules[1];
    EXPECT_EQ(stored.rulename, "  spaced  ");
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.mcond, TotalFileSize);
    EXPECT_EQ(stored.fsize, 10);
    EXPECT_EQ(actionKinds(stored), (std::vector<std::uint8_t>{rMove, rDelete}));
    EXPECT_EQ(stored.actions[0].racmove.filepath, "/music");
    EXPECT_EQ(stored.conds[0].rcondFileExt.ext, "mp3");
    EXPECT_FALSE(saved.services[0].rulelist.rules[0].enabled);
}

TEST_F(RuleWizardTest, EveryWizardStartsFromAFreshWorkingRule) {
    TfrmRule& first = openNew();
    first.btnNextClick();
    first.clActions->toggleByUser(TfrmRule::kItemDelete);
    first.teRuleName->setText(QStringLiteral("dropped"));
    first.Button4Click();
    TfrmRule& second = openNew();
    EXPECT_EQ(workingRule().actioncnt, 0);
    EXPECT_TRUE(second.teRuleName->text().isEmpty());
    EXPECT_FALSE(second.clActions->checked(TfrmRule::kItemDelete));
    EXPECT_EQ(host.table.services[0].rulelist.rulecnt, 1);
}

TEST_F(RuleWizardTest, AGrownWizardGivesItsListsTheRoomAndOpensAtItsSizeNextTime) {
    TfrmRule& w = openNew();
    w.show();
    EXPECT_EQ(w.size(), QSize(696, 406));
    w.btnNextClick();
    // The width added goes half to the designed controls, half to the preview.
    const std::vector<QWidget*> grow = {w.clConditions, w.clActions, w.ParamListBox1, w.pnlPreview};
    std::vector<QSize> before;
    for (QWidget* control : grow)
        before.push_back(control->size());
    const int nameWidth = w.teRuleName->width();

    w.resize(776, 606);
    for (std::size_t i = 0; i < grow.size(); ++i) {
        SCOPED_TRACE(grow[i]->objectName().toStdString());
        EXPECT_EQ(grow[i]->width(), before[i].width() + 40);
        EXPECT_GT(grow[i]->height(), before[i].height());
    }
    EXPECT_EQ(w.teRuleName->width(), nameWidth + 40);
    EXPECT_LE(w.ParamListBox1->geometry().right(), w.pnlPreview->x());
    for (QWidget* control : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(w.rect().contains(control->geometry())) << control->objectName().toStdString();
    w.hide();
    w.reject();

    EXPECT_EQ(openNew().size(), QSize(776, 606));
    settingsStore().remove(QStringLiteral("Software/Larchpost/Windows"), QStringLiteral("Rule"));
}

} // namespace
} // namespace lp
