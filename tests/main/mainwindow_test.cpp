#include "main/mainwindow.h"

#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "globals/app_globals.h"
#include "globals/config_file.h"
#include "main/addservice.h"
#include "main/rulelist.h"
#include "main/window_position.h"
#include "widgets/check_list_box.h"
#include "widgets/keyboard_checks.h"
#include "widgets/ui_seams.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

lp::rServiceRules folder(int othernum, const std::string& name, bool enabled,
                         std::vector<std::string> rules = {}) {
    lp::rServiceRules s;
    s.serviceid = lp::kOtherService;
    s.othernum = othernum;
    s.othername = name;
    s.sharedir = "/srv/" + name;
    s.enabled = enabled;
    s.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
    for (const std::string& r : rules) {
        lp::RuleRec rule;
        rule.rulename = r;
        rule.enabled = true;
        s.rulelist.rules.push_back(rule);
    }
    return s;
}

std::vector<std::string> lines(const lp::TCheckListBox& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i)
        out.push_back((list.checked(i) ? "[x] " : "[ ] ") + list.item(i)->text().toStdString());
    return out;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        lp::app().table = {};
        lp::app().registry = {};
        lp::app().configPath = dir.filePath("bxconf.ini").toStdString();
        lp::setWarningHook([this](const lp::WarningShown& w) { warnings.push_back(w.text); });
        lp::setModalHook([this](QDialog& dialog) {
            ++dialogsOpened;
            auto* form = qobject_cast<lp::TfrmAddService*>(&dialog);
            if (form == nullptr || !answer)
                return int(QDialog::Rejected);
            answer(*form);
            return dialog.result();
        });
    }
    void TearDown() override {
        window.reset();
        lp::setWarningHook({});
        lp::setModalHook({});
        lp::app().table = {};
    }

    void withFolders(std::vector<lp::rServiceRules> folders) {
        lp::app().table.services = std::move(folders);
        lp::app().table.customCount = static_cast<std::int32_t>(lp::app().table.services.size());
    }

    lp::TfrmMain& open() {
        window = std::make_unique<lp::TfrmMain>([this](lp::ServiceTable&, bool first) {
            cycles.push_back(first);
            if (window) // the first listing is taken while the window is being made
                timerActiveDuringCycle = window->Timer1->isActive();
        });
        return *window;
    }

    lp::ServiceTable saved() const {
        lp::ServiceTable read;
        lp::ReadConfigFile(lp::app().configPath, read, [](const std::string&) {});
        return read;
    }
    bool fileExists() const { return QFile::exists(QString::fromStdString(lp::app().configPath)); }

    QTemporaryDir dir;
    std::unique_ptr<lp::TfrmMain> window;
    std::vector<QString> warnings;
    std::function<void(lp::TfrmAddService&)> answer;
    int dialogsOpened = 0;
    std::vector<bool> cycles;
    bool timerActiveDuringCycle = true;
};

TEST_F(MainWindowTest, FirstStartShowsAnEmptyListWithOnlyAddFolderEnabled) {
    lp::TfrmMain& w = open();
    EXPECT_EQ(w.objectName(), "frmMain");
    EXPECT_EQ(w.windowTitle(), "Larchpost");
    EXPECT_EQ(w.size(), QSize(578, 414));
    EXPECT_EQ(w.Label9->text(), "Monitored Folders");
    EXPECT_EQ(w.frSwapRules6->Label1->text(), "File Rules");
    EXPECT_EQ(w.btnAddService->text(), "&Add Folder...");
    EXPECT_EQ(w.clService->count(), 0);
    EXPECT_TRUE(w.btnAddService->isEnabled());
    for (QPushButton* b :
         {w.btnEditService, w.btnDeleteService, w.frSwapRules6->btnAdd, w.frSwapRules6->btnEdit,
          w.frSwapRules6->btnDelete, w.frSwapRules6->btnMoveUp, w.frSwapRules6->btnMoveDown})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(w.FirstCycle) << "the folders' first listing is taken at start";
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_EQ(w.Timer1->interval(), 5000);
    EXPECT_FALSE(fileExists()); // nothing is written before the first edit
}

// The folder and the rule buttons stand in one column of one width, each caption whole.
TEST_F(MainWindowTest, AllButtonsShareOneAlignedColumnThatShowsEveryCaption) {
    lp::TfrmMain& w = open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const lp::TfrSwapRules& panel = *w.frSwapRules6;
    std::set<int> lefts, widths;
    for (QPushButton* b : {w.btnAddService, w.btnEditService, w.btnDeleteService, panel.btnAdd,
                           panel.btnEdit, panel.btnDelete, panel.btnMoveUp, panel.btnMoveDown}) {
        SCOPED_TRACE(b->text().toStdString());
        lefts.insert(b->mapTo(&w, QPoint(0, 0)).x());
        widths.insert(b->width());
        EXPECT_GE(b->width(), b->sizeHint().width());
        EXPECT_GE(b->width(), 81);
        EXPECT_LE(b->mapTo(&w, QPoint(b->width(), 0)).x(), w.width());
    }
    EXPECT_EQ(lefts.size(), 1u);
    EXPECT_EQ(widths.size(), 1u);
    EXPECT_TRUE(w.StatusBar1->isSizeGripEnabled()) << "the window can be made larger";
}

TEST_F(MainWindowTest, AddingTheFirstFolderGivesOneUncheckedSelectedLine) {
    lp::TfrmMain& w = open();
    answer = [](lp::TfrmAddService& d) {
        d.teService->setText("Downloads");
        d.teSharedDir->setText(QDir::tempPath()); // an existing folder
        d.Button1Click();
    };
    w.btnAddService->click();

    EXPECT_EQ(lines(*w.clService), (std::vector<std::string>{"[ ] Downloads"}));
    EXPECT_EQ(w.clService->currentRow(), 0);
    EXPECT_TRUE(w.frSwapRules6->btnAdd->isEnabled());
    EXPECT_TRUE(w.btnEditService->isEnabled());
    EXPECT_TRUE(w.btnDeleteService->isEnabled());
    const lp::ServiceTable file = saved();
    ASSERT_EQ(file.services.size(), 1u);
    EXPECT_EQ(file.services[0].othername, "Downloads");
    EXPECT_EQ(file.services[0].othernum, 1);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(MainWindowTest, AFolderAddedLastLeavesTheSelectionOnTheFirst) {
    withFolders({folder(1, "A", true, {"a1"}), folder(2, "B", false)});
    lp::TfrmMain& w = open();
    answer = [](lp::TfrmAddService& d) {
        d.teService->setText("C");
        d.teSharedDir->setText(QDir::tempPath());
        d.Button1Click();
    };
    w.btnAddService->click();
    EXPECT_EQ(lines(*w.clService), (std::vector<std::string>{"[x] A", "[ ] B", "[ ] C"}));
    EXPECT_EQ(w.clService->currentRow(), 0);
    EXPECT_EQ(lines(*w.frSwapRules6->clRuleList), (std::vector<std::string>{"[x] a1"}));
}

TEST_F(MainWindowTest, CancelledDialogChangesAndSavesNothing) {
    withFolders({folder(1, "A", true)});
    lp::TfrmMain& w = open();
    answer = [](lp::TfrmAddService& d) {
        d.teService->setText("Changed");
        d.Button2Click();
    };
    w.btnAddService->click();
    w.btnEditService->click();
    EXPECT_EQ(dialogsOpened, 2);
    EXPECT_EQ(lp::app().table.services.size(), 1u);
    EXPECT_EQ(lp::app().table.services[0].othername, "A");
    EXPECT_FALSE(fileExists());
}

TEST_F(MainWindowTest, RemovingTheSecondOfThreeKeepsChecksOnTheirLines) {
    withFolders({folder(1, "A", false), folder(2, "B", true), folder(3, "C", true, {"c1", "c2"})});
    lp::TfrmMain& w = open();
    w.clService->setCurrentRow(1);
    w.btnDeleteService->click();

    EXPECT_EQ(lines(*w.clService), (std::vector<std::string>{"[ ] A", "[x] C"}));
    EXPECT_EQ(w.clService->currentRow(), 0);
    const lp::ServiceTable& t = lp::app().table;
    ASSERT_EQ(t.services.size(), 2u);
    EXPECT_EQ(t.services[1].othername, "C");
    EXPECT_EQ(t.services[1].othernum, 2);
    EXPECT_EQ(t.services[1].rulelist.rulecnt, 2);
    EXPECT_EQ(t.customCount, 2);
    const lp::ServiceTable file = saved();
    ASSERT_EQ(file.services.size(), 2u);
    EXPECT_EQ(file.services[1].othernum, 2);
    EXPECT_EQ(file.customCount, 2);
}

TEST_F(MainWindowTest, RemovingTheOnlyFolderEmptiesBothListsAndSaves) {
    withFolders({folder(1, "A", true, {"r"})});
    lp::TfrmMain& w = open();
    EXPECT_EQ(w.frSwapRules6->clRuleList->count(), 1);
    w.btnDeleteService->click();

    EXPECT_EQ(w.clService->count(), 0);
    EXPECT_EQ(w.frSwapRules6->clRuleList->count(), 0);
    for (QPushButton* b : {w.btnEditService, w.btnDeleteService, w.frSwapRules6->btnAdd,
                           w.frSwapRules6->btnEdit, w.frSwapRules6->btnDelete})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    ASSERT_TRUE(fileExists());
    EXPECT_TRUE(saved().services.empty());
}

TEST_F(MainWindowTest, BuiltInServicesStayHiddenAndUntouched) {
    lp::rServiceRules builtIn;
    builtIn.serviceid = lp::kKazaa;
    builtIn.sharedir = "/srv/kazaa";
    withFolders({folder(1, "A", false), builtIn, folder(2, "B", true)});
    lp::app().table.customCount = 2;
    lp::TfrmMain& w = open();
    EXPECT_EQ(lines(*w.clService), (std::vector<std::string>{"[ ] A", "[x] B"}));
    w.btnDeleteService->click(); // removes A, the selected line
    const lp::ServiceTable& t = lp::app().table;
    ASSERT_EQ(t.services.size(), 2u);
    EXPECT_EQ(t.services[0].serviceid, lp::kKazaa);
    EXPECT_EQ(t.services[0].othernum, 0);
    EXPECT_EQ(t.services[1].othernum, 1);
    EXPECT_EQ(lines(*w.clService), (std::vector<std::string>{"[x] B"}));
}

TEST_F(MainWindowTest, EditingTheThirdFolderKeepsItSelectedWithItsRules) {
    withFolders(
        {folder(1, "A", true, {"a1"}), folder(2, "B", true), folder(3, "C", false, {"c1", "c2"})});
    lp::TfrmMain& w = open();
    w.clService->setCurrentRow(2);
    EXPECT_EQ(lines(*w.frSwapRules6->clRuleList), (std::vector<std::string>{"[x] c1", "[x] c2"}));
    answer = [](lp::TfrmAddService& d) {
        EXPECT_EQ(d.teService->text(), "C");
        d.teService->setText("C renamed");
        d.Button1Click();
    };
    w.clServiceDblClick();

    EXPECT_EQ(dialogsOpened, 1);
    EXPECT_EQ(w.clService->currentRow(), 2);
    EXPECT_EQ(lines(*w.clService), (std::vector<std::string>{"[x] A", "[x] B", "[ ] C renamed"}));
    EXPECT_EQ(lines(*w.frSwapRules6->clRuleList), (std::vector<std::string>{"[x] c1", "[x] c2"}));
    EXPECT_EQ(saved().services.at(2).othername, "C renamed");
}

TEST_F(MainWindowTest, DoubleClickWithoutAFolderOpensNothing) {
    lp::TfrmMain& w = open();
    w.clServiceDblClick();
    w.btnEditServiceClick();
    w.btnDeleteServiceClick(); // also safe on an empty list; rewrites the empty table
    EXPECT_EQ(dialogsOpened, 0);
    EXPECT_TRUE(saved().services.empty());
}

// A click on the empty part of the folder list takes the highlight away: then no folder is the
// current one, so its commands are off and act on nothing, and its rules are not shown.
TEST_F(MainWindowTest, WithoutAHighlightedFolderNoFolderCommandActs) {
    withFolders({folder(1, "A", true, {"a1"}), folder(2, "B", true, {"b1"})});
    lp::TfrmMain& w = open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    answer = [](lp::TfrmAddService& form) { form.accept(); };
    lp::TCheckListBox& list = *w.clService;
    const QPoint emptyPart(10, list.viewport()->height() - 4);
    ASSERT_EQ(list.itemAt(emptyPart), nullptr);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, emptyPart);
    ASSERT_EQ(w.selectedServiceLine(), -1);
    for (QPushButton* b : {w.btnEditService, w.btnDeleteService, w.frSwapRules6->btnAdd})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(w.btnAddService->isEnabled());
    EXPECT_EQ(w.frSwapRules6->clRuleList->count(), 0);

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, emptyPart);
    w.clServiceDblClick();
    w.btnEditServiceClick();
    w.btnDeleteServiceClick();
    EXPECT_EQ(dialogsOpened, 0);
    EXPECT_EQ(lp::app().table.services.size(), 2u);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    EXPECT_EQ(w.selectedServiceLine(), 1);
    EXPECT_TRUE(w.btnEditService->isEnabled());
    EXPECT_EQ(lines(*w.frSwapRules6->clRuleList), (std::vector<std::string>{"[x] b1"}));
}

TEST_F(MainWindowTest, UncheckingAFolderSavesItDisabled) {
    withFolders({folder(1, "A", true), folder(2, "B", true)});
    lp::TfrmMain& w = open();
    w.clService->toggleByUser(1);
    EXPECT_EQ(w.clService->currentRow(), 1);
    EXPECT_FALSE(lp::app().table.services[1].enabled);
    EXPECT_TRUE(lp::app().table.services[0].enabled);
    const lp::ServiceTable file = saved();
    ASSERT_EQ(file.services.size(), 2u);
    EXPECT_FALSE(file.services[1].enabled);
    EXPECT_TRUE(file.services[0].enabled);
}

TEST_F(MainWindowTest, AFailedSaveKeepsTheChangeAndSaysSoEachTime) {
    withFolders({folder(1, "A", true), folder(2, "B", true)});
    lp::app().configPath = dir.filePath("missing-folder/bxconf.ini").toStdString();
    lp::TfrmMain& w = open();
    w.clService->toggleByUser(0);
    w.clService->toggleByUser(1);
    const QString expected =
        "Unable to save configuration file: " + dir.filePath("missing-folder/bxconf.ini");
    EXPECT_EQ(warnings, (std::vector<QString>{expected, expected}));
    EXPECT_FALSE(lp::app().table.services[0].enabled);
    EXPECT_FALSE(lp::app().table.services[1].enabled);

    // Once the folder exists the next save writes everything, silently.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("missing-folder")));
    warnings.clear();
    w.clService->toggleByUser(1);
    EXPECT_TRUE(warnings.empty());
    const lp::ServiceTable file = saved();
    ASSERT_EQ(file.services.size(), 2u);
    EXPECT_FALSE(file.services[0].enabled);
    EXPECT_TRUE(file.services[1].enabled);
}

TEST_F(MainWindowTest, SelectingAFolderShowsItsRules) {
    withFolders({folder(1, "A", true, {"a1"}), folder(2, "B", true, {"b1", "b2", "b3"})});
    lp::TfrmMain& w = open();
    w.frSwapRules6->clRuleList->setChecked(0, true);
    w.clService->setCurrentRow(1);
    EXPECT_EQ(lines(*w.frSwapRules6->clRuleList),
              (std::vector<std::string>{"[x] b1", "[x] b2", "[x] b3"}));
    EXPECT_EQ(w.frSwapRules6->clRuleList->currentRow(), 0);
    EXPECT_FALSE(w.frSwapRules6->btnMoveUp->isEnabled());
    EXPECT_TRUE(w.frSwapRules6->btnMoveDown->isEnabled());
}

TEST_F(MainWindowTest, StoredPositionOpensTheWindowOnScreen) {
    struct Case {
        lp::RegistrySettings stored;
        QPoint expected;
    };
    const QSize screen(1024, 768);
    const Case cases[] = {
        {{true, 0, 400, 440, 50, 50}, {50, 50}},
        {{true, 0, 400, 440, 2000, 50}, {0, 0}}, // off to the right
        {{true, 0, 400, 440, -5, 30}, {0, 30}},  // edges below 1 become 0
        {{true, 0, 400, 440, 0, 0}, {0, 0}},
        {{true, 0, 400, 440, 50, 700}, {0, 0}},                // 700 + 100 is off the bottom
        {{true, 0, 400, 440, 903, 50}, {903, 50}},             // 903 + 110 < 1014
        {{true, 0, 400, 440, 904, 50}, {0, 0}},                // 904 + 110 is not
        {{true, 0, 400, -2147483647, 2147483647, 10}, {0, 0}}, // extremes do not wrap around
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.Left);
        EXPECT_EQ(lp::mainWindowOrigin(c.stored, screen), c.expected);
    }
    lp::app().registry.Left = -5;
    lp::app().registry.Top = 30;
    EXPECT_EQ(open().pos(), QPoint(0, 30));
}

TEST_F(MainWindowTest, EachTickRunsOneCycleWithTheTimerOff) {
    lp::TfrmMain& w = open();
    w.Timer1Timer();
    w.Timer1Timer();
    // The folders' first listing at start, then a cycle per tick.
    EXPECT_EQ(cycles, (std::vector<bool>{true, false, false}));
    EXPECT_FALSE(timerActiveDuringCycle);
    EXPECT_FALSE(w.FirstCycle);
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(MainWindowTest, TheTimerKeepsTickingWhileAModalDialogIsOpen) {
    QDialog dialog;
    // A cycle closes the dialog; were there no ticks, the fallback would end it as rejected.
    lp::TfrmMain w([&](lp::ServiceTable&, bool) { dialog.accept(); });
    w.Timer1->setInterval(1);
    w.Timer1->start();
    QTimer::singleShot(30000, &dialog, &QDialog::reject);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(w.FirstCycle);
}

} // namespace

namespace {

// The rule list's lines, for a panel filled with n rules.
std::vector<std::string> numberedRules(int n) {
    std::vector<std::string> names;
    for (int i = 1; i <= n; ++i)
        names.push_back("rule " + std::to_string(i));
    return names;
}

} // namespace

TEST_F(MainWindowTest, TheKeyboardReachesEveryControlAndKeepsTheFocusWhenAButtonTurnsOff) {
    withFolders({folder(1, "A", true, numberedRules(3)), folder(2, "B", false)});
    lp::TfrmMain& w = open();
    lp::testing::expectButtonMnemonics(w);
    // The second rule, so that every rule button is on.
    w.frSwapRules6->clRuleList->setCurrentRow(1);
    lp::testing::expectTabCyclesThroughEveryControl(w, w.clService);

    // Moving the second rule down makes it the last: "Move Down" turns itself off.
    lp::TfrSwapRules& panel = *w.frSwapRules6;
    panel.btnMoveDown->setFocus(Qt::TabFocusReason);
    QTest::keyClick(panel.btnMoveDown, Qt::Key_Space);
    ASSERT_FALSE(panel.btnMoveDown->isEnabled());
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr) << "the focus went nowhere";
    EXPECT_TRUE(focused->isEnabled());
    EXPECT_EQ(focused->window(), &w);
}

TEST_F(MainWindowTest, AGrownWindowGivesItsListsTheRoomAndOpensAtItsSizeNextTime) {
    withFolders({folder(1, "A", true, numberedRules(50))});
    QSize listsAtDesign;
    {
        lp::TfrmMain& w = open();
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        EXPECT_EQ(w.size(), QSize(578, 414));
        const QSize folders = w.clService->size();
        const QSize rules = w.frSwapRules6->clRuleList->size();
        w.resize(778, 614);
        QApplication::processEvents();
        EXPECT_GT(w.clService->height(), folders.height());
        EXPECT_EQ(w.clService->width(), folders.width() + 200);
        EXPECT_GT(w.frSwapRules6->clRuleList->height(), rules.height() + 100);
        EXPECT_EQ(w.frSwapRules6->clRuleList->width(), rules.width() + 200);
        // Every button stays inside the window.
        for (QPushButton* b : w.findChildren<QPushButton*>())
            EXPECT_TRUE(w.rect().contains(QRect(b->mapTo(&w, QPoint(0, 0)), b->size())))
                << b->objectName().toStdString();
        w.hide();
        window.reset();
    }
    lp::TfrmMain& again = open();
    EXPECT_EQ(again.size(), QSize(778, 614));
    lp::settingsStore().remove(QStringLiteral("Software/Larchpost/Windows"),
                               QStringLiteral("Main"));
}
