// Every window fits a small screen: 800 by 500 pixels, as a 1600 by 1000 screen offers at a
// scale of 2, with room left for the title bar. At its smallest, no control is cut off.

#include "main/about.h"
#include "main/activity_window.h"
#include "main/additional.h"
#include "main/addservice.h"
#include "main/exit_wait.h"
#include "main/help_window.h"
#include "main/mainwindow.h"
#include "main/rule_test_host.h"
#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/path.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace lp {
namespace {

// The screen's room less what the window manager's frame and title bar take.
constexpr QSize kSmallScreen(800, 500);
constexpr int kTitleAllowance = 48;

// The smallest the window can be made: its own minimum, what its layout needs, or its one size.
QSize smallestSize(const QWidget& window) {
    QSize smallest = window.minimumSize().expandedTo(window.minimumSizeHint());
    if (window.minimumSize() == window.maximumSize())
        smallest = window.minimumSize();
    return smallest.expandedTo(QSize(1, 1));
}

// The visible controls that reach beyond the window's edges, by name.
std::string cutOffControls(const QWidget& window) {
    std::string cut;
    const QRect inside = window.rect();
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&window) || child->isWindow())
            continue;
        const QRect where(child->mapTo(&window, QPoint(0, 0)), child->size());
        if (!inside.contains(where))
            cut += child->objectName().toStdString() + "(" +
                   std::string(child->metaObject()->className()) + ") ";
    }
    return cut;
}

TEST(ScreenFit, EveryWindowFitsASmallScreenAndCutsNothingOffAtItsSmallest) {
    QTemporaryDir dir;
    app().configPath = dir.filePath("bxconf.ini").toStdString();
    testing::RuleTestHost host;
    host.addFolder({{"first", true}});
    ServiceTable folders;
    folders.services = host.table.services;
    auto wizardOnPage = [&host](bool second) {
        ruleEditRequest() = {false, -1};
        auto wizard = std::make_unique<TfrmRule>(host);
        if (second)
            wizard->btnNextClick();
        return std::unique_ptr<QWidget>(std::move(wizard));
    };
    const struct {
        const char* what;
        std::function<std::unique_ptr<QWidget>()> make;
    } cases[] = {
        {"main window", [] { return std::make_unique<TfrmMain>(MonitorCycle{}); }},
        {"wizard, first page", [&] { return wizardOnPage(false); }},
        {"wizard, second page", [&] { return wizardOnPage(true); }},
        {"folder dialog", [&] { return std::make_unique<TfrmAddService>(folders, true, 0); }},
        {"path",
         [] {
             exchange().pathTarget = "rCopy";
             exchange().currentText = "specified";
             return std::make_unique<TfrmPath>();
         }},
        {"program",
         [] {
             exchange().currentText = "specified";
             return std::make_unique<TfrmLaunch>();
         }},
        {"file date",
         [] {
             exchange().daysValue = -1;
             return std::make_unique<TfrmDateSel>();
         }},
        {"file size",
         [] {
             exchange().sizeValue = -1;
             return std::make_unique<TfrmFileSize>();
         }},
        {"file count",
         [] {
             exchange().caption = "Enter File Count";
             exchange().prompt = "Enter file count:";
             exchange().currentText = "specified";
             return std::make_unique<TfrmInput>();
         }},
        {"options", [] { return std::make_unique<TfrmAdditional>(); }},
        {"about", [] { return std::make_unique<Tfrmabout>(); }},
        {"help", [] { return std::make_unique<TfrmHelp>(); }},
        {"activity",
         [&dir] {
             return std::make_unique<TfrmActivity>(dir.filePath("activity.log").toStdString());
         }},
        {"exit wait", [] { return std::make_unique<ExitWait>(nullptr, [] {}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<QWidget> window = c.make();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        const QSize smallest = smallestSize(*window);
        EXPECT_LE(smallest.width(), kSmallScreen.width());
        EXPECT_LE(smallest.height(), kSmallScreen.height() - kTitleAllowance);
        window->resize(smallest);
        QTest::qWait(10);
        EXPECT_EQ(cutOffControls(*window), "")
            << "at " << smallest.width() << "x" << smallest.height();
    }
}

} // namespace
} // namespace lp
