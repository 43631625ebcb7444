#include "main/rulelist.h"

#include "main/rule_test_host.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"
#include "widgets/ui_seams.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace lp {
namespace {

using testing::ruleNames;
using testing::RuleTestHost;
using Names = std::vector<std::string>;

struct ButtonState {
    bool edit, del, up, down;
    bool operator==(const ButtonState&) const = default;
};

class RuleListTest : public ::testing::Test {
protected:
    void SetUp() override {
        app().currentServiceId = kOtherService;
        host.addFolder({{"A", true}, {"B", false}, {"C", true}});
        host.panel = &panel;
        panel.setHost(&host);
        host.BuildRuleLists(kOtherService);
    }
    void TearDown() override { setModalHook({}); }

    // Answers the next wizard with what `drive` does to it; counts how often one was opened.
    void answerWizard(std::function<int(TfrmRule&)> drive) {
        setModalHook([this, drive](QDialog& dialog) {
            ++wizardsOpened;
            auto* wizard = qobject_cast<TfrmRule*>(&dialog);
            EXPECT_NE(wizard, nullptr);
            return wizard ? drive(*wizard) : int(QDialog::Rejected);
        });
    }

    ButtonState buttons() const {
        return {panel.btnEdit->isEnabled(), panel.btnDelete->isEnabled(),
                panel.btnMoveUp->isEnabled(), panel.btnMoveDown->isEnabled()};
    }
    Names shownNames() const {
        Names names;
        for (int i = 0; i < panel.clRuleList->count(); ++i)
            names.push_back(panel.clRuleList->item(i)->text().toStdString());
        return names;
    }
    rServiceRules& folder() { return host.table.services[0]; }

    RuleTestHost host;
    TfrSwapRules panel;
    int wizardsOpened = 0;
};

TEST_F(RuleListTest, HasItsControlsAtTheirPlaces) {
    EXPECT_EQ(panel.findChild<QPushButton*>("btnAdd")->text(), "Add Rule...");
    EXPECT_EQ(panel.findChild<QPushButton*>("btnEdit")->text(), "Edit Rule...");
    EXPECT_EQ(panel.findChild<QPushButton*>("btnDelete")->text(), "Delete Rule...");
    EXPECT_EQ(panel.findChild<QPushButton*>("btnMoveUp")->text(), "Move Up");
    EXPECT_EQ(panel.findChild<QPushButton*>("btnMoveDown")->text(), "Move Down");
    EXPECT_NE(panel.findChild<TCheckListBox*>("clRuleList"), nullptr);
    EXPECT_EQ(panel.btnMoveUp->geometry().top(), 120);
    EXPECT_EQ(panel.btnMoveDown->size(), QSize(81, 25));
    EXPECT_EQ(shownNames(), (Names{"A", "B", "C"}));
    EXPECT_FALSE(panel.clRuleList->checked(1));
}

struct MoveCase {
    const char* what;
    int selected;
    bool up;
    Names order;
    int selectedAfter;
    ButtonState after;
};

TEST_F(RuleListTest, MovesKeepTheMovedRuleSelectedAndSave) {
    const MoveCase cases[] = {
        {"second up", 1, true, {"B", "A", "C"}, 0, {true, true, false, true}},
        {"second down", 1, false, {"A", "C", "B"}, 2, {true, true, true, false}},
        {"last up", 2, true, {"A", "C", "B"}, 1, {true, true, true, true}},
        {"first up stays", 0, true, {"A", "B", "C"}, 0, {true, true, false, true}},
        {"last down stays", 2, false, {"A", "B", "C"}, 2, {true, true, true, false}},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.what);
        host.table = {};
        host.addFolder({{"A", true}, {"B", false}, {"C", true}});
        host.BuildRuleLists(kOtherService);
        panel.clRuleList->setCurrentRow(c.selected);

        (c.up ? panel.btnMoveUpClick() : panel.btnMoveDownClick());

        EXPECT_EQ(ruleNames(folder()), c.order);
        EXPECT_EQ(shownNames(), c.order);
        EXPECT_EQ(panel.clRuleList->currentRow(), c.selectedAfter);
        EXPECT_EQ(buttons(), c.after);
        const ServiceTable saved = host.saved();
        ASSERT_EQ(saved.services.size(), 1u);
        EXPECT_EQ(ruleNames(saved.services[0]), c.order);
        // Whole rules travel, not only their names: B is the one switched off.
        for (const RuleRec& rule : saved.services[0].rulelist.rules)
            EXPECT_EQ(rule.enabled, rule.rulename != "B") << rule.rulename;
    }
}

// A click on the empty part of the list takes the highlight away; the old current line must not
// be acted on then, by a button or by a double click there.
TEST_F(RuleListTest, WithoutAHighlightedRuleNoCommandActs) {
    panel.resize(398, 180);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    answerWizard([](TfrmRule&) { return int(QDialog::Accepted); });
    TCheckListBox& list = *panel.clRuleList;
    list.setCurrentRow(1);
    ASSERT_EQ(list.selectedLine(), 1);
    const QPoint emptyPart(10, list.viewport()->height() - 4);
    ASSERT_EQ(list.itemAt(emptyPart), nullptr);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, emptyPart);
    ASSERT_EQ(list.selectedLine(), -1);
    EXPECT_EQ(buttons(), (ButtonState{false, false, false, false}));
    EXPECT_TRUE(panel.btnAdd->isEnabled());

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, emptyPart);
    const struct {
        const char* name;
        void (TfrSwapRules::*command)();
    } commands[] = {
        {"edit", &TfrSwapRules::btnEditClick},
        {"delete", &TfrSwapRules::btnDeleteClick},
        {"move up", &TfrSwapRules::btnMoveUpClick},
        {"move down", &TfrSwapRules::btnMoveDownClick},
        {"double click", &TfrSwapRules::clRuleListDblClick},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.name);
        list.clearSelection();
        (panel.*c.command)();
        EXPECT_EQ(ruleNames(folder()), (Names{"A", "B", "C"}));
    }
    EXPECT_EQ(wizardsOpened, 0);

    // A click on a line highlights it again, and the commands come back.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(list.selectedLine(), 1);
    EXPECT_EQ(buttons(), (ButtonState{true, true, true, true}));
}

TEST_F(RuleListTest, DeletingTheMiddleRuleSelectsTheFirstAndSaves) {
    panel.clRuleList->setCurrentRow(1);
    panel.btnDeleteClick();
    EXPECT_EQ(ruleNames(folder()), (Names{"A", "C"}));
    EXPECT_EQ(shownNames(), (Names{"A", "C"}));
    EXPECT_EQ(panel.clRuleList->currentRow(), 0);
    EXPECT_EQ(ruleNames(host.saved().services[0]), (Names{"A", "C"}));
}

TEST_F(RuleListTest, DeletingTheOnlyRuleLeavesOnlyAddEnabled) {
    host.table = {};
    host.addFolder({{"only", true}});
    host.BuildRuleLists(kOtherService);
    panel.btnDeleteClick();
    EXPECT_EQ(panel.clRuleList->count(), 0);
    EXPECT_EQ(buttons(), (ButtonState{false, false, false, false}));
    EXPECT_TRUE(panel.btnAdd->isEnabled());
    const ServiceTable saved = host.saved();
    ASSERT_EQ(saved.services.size(), 1u);
    EXPECT_EQ(saved.services[0].rulelist.rulecnt, 0);
}

TEST_F(RuleListTest, EmptyingTheListLeavesAddAsTheHostSetIt) {
    panel.btnAdd->setEnabled(false); // as the main window does without folders
    host.line = -1;
    host.BuildRuleLists(kOtherService);
    EXPECT_FALSE(panel.btnAdd->isEnabled());
    EXPECT_EQ(buttons(), (ButtonState{false, false, false, false}));
}

TEST_F(RuleListTest, TickSavesOnlyThatRulesEnabledState) {
    panel.clRuleList->toggleByUser(1);
    EXPECT_TRUE(folder().rulelist.rules[1].enabled);
    EXPECT_TRUE(host.saved().services[0].rulelist.rules[1].enabled);

    panel.clRuleList->toggleByUser(0);
    const ServiceTable saved = host.saved();
    const std::vector<RuleRec>& rules = saved.services[0].rulelist.rules;
    EXPECT_FALSE(rules[0].enabled);
    EXPECT_TRUE(rules[1].enabled);
    EXPECT_TRUE(rules[2].enabled);
    EXPECT_EQ(ruleNames(saved.services[0]), (Names{"A", "B", "C"}));
}

// A wizard driven to a stored rule: a deletion named `name`.
int finishWithDeletion(TfrmRule& wizard, const QString& name) {
    wizard.btnNextClick();
    if (!wizard.clActions->checked(TfrmRule::kItemDelete))
        wizard.clActions->toggleByUser(TfrmRule::kItemDelete);
    wizard.teRuleName->setText(name);
    wizard.btnFinishClick();
    return wizard.result();
}

TEST_F(RuleListTest, AddedRuleIsLastEnabledAndTheFirstLineIsSelected) {
    panel.clRuleList->setCurrentRow(2);
    answerWizard([](TfrmRule& w) { return finishWithDeletion(w, QStringLiteral("D")); });
    panel.btnAddClick();
    EXPECT_EQ(wizardsOpened, 1);
    EXPECT_EQ(shownNames(), (Names{"A", "B", "C", "D"}));
    EXPECT_EQ(panel.clRuleList->currentRow(), 0);
    EXPECT_TRUE(panel.clRuleList->checked(3));
    const ServiceTable saved = host.saved();
    EXPECT_EQ(ruleNames(saved.services[0]), (Names{"A", "B", "C", "D"}));
    EXPECT_TRUE(saved.services[0].rulelist.rules[3].enabled);
}

TEST_F(RuleListTest, DoubleClickEditsThatRuleInPlaceKeepingItSelected) {
    panel.clRuleList->setCurrentRow(1);
    QString shownName;
    answerWizard([&](TfrmRule& w) {
        shownName = w.teRuleName->text();
        return finishWithDeletion(w, QStringLiteral("B2"));
    });
    panel.clRuleListDblClick();
    EXPECT_EQ(shownName, "B");
    EXPECT_EQ(shownNames(), (Names{"A", "B2", "C"}));
    EXPECT_EQ(panel.clRuleList->currentRow(), 1);
    EXPECT_EQ(buttons(), (ButtonState{true, true, true, true}));
    const ServiceTable saved = host.saved();
    EXPECT_EQ(ruleNames(saved.services[0]), (Names{"A", "B2", "C"}));
    EXPECT_FALSE(saved.services[0].rulelist.rules[1].enabled);
}

TEST_F(RuleListTest, CancelledWizardChangesNothing) {
    panel.clRuleList->setCurrentRow(2);
    answerWizard([](TfrmRule& w) {
        w.btnNextClick();
        w.clActions->toggleByUser(TfrmRule::kItemDelete);
        w.teRuleName->setText(QStringLiteral("never"));
        w.Button4Click();
        return w.result();
    });
    panel.btnEditClick();
    panel.btnAddClick();
    EXPECT_EQ(wizardsOpened, 2);
    EXPECT_EQ(shownNames(), (Names{"A", "B", "C"}));
    EXPECT_EQ(panel.clRuleList->currentRow(), 2);
    EXPECT_EQ(buttons(), (ButtonState{true, true, true, false}));
    EXPECT_EQ(host.saves, 0);
}

TEST_F(RuleListTest, EditNeedsARule) {
    answerWizard([](TfrmRule& w) { return w.result(); });
    host.table = {};
    host.addFolder({});
    host.BuildRuleLists(kOtherService);
    panel.clRuleListDblClick();
    panel.btnEditClick();
    EXPECT_EQ(wizardsOpened, 0);
}

TEST_F(RuleListTest, CommandsWithoutACurrentFolderLeaveTheTableAlone) {
    panel.clRuleList->setCurrentRow(1);
    host.line = -1;
    panel.btnDeleteClick();
    panel.btnMoveUpClick();
    panel.btnMoveDownClick();
    EXPECT_EQ(ruleNames(folder()), (Names{"A", "B", "C"}));
}

} // namespace
} // namespace lp
