// Every window fits a small screen: 800 by 500 pixels, as a 1600 by 1000 screen offers at a
// scale of 2, with room left for the title bar. At its smallest, no control is cut off.

#include "main/activity_window.h"
#include "main/every_window.h"
#include "main/exit_wait.h"
#include "main/help_window.h"
#include "main/mainwindow.h"

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
    ServiceTable folders;
    std::vector<testing::WindowCase> cases = testing::everyDialog(host, folders);
    cases.push_back({"main window", [] { return std::make_unique<TfrmMain>(MonitorCycle{}); }});
    cases.push_back({"help", [] { return std::make_unique<TfrmHelp>(); }});
    cases.push_back({"activity", [&dir] {
                         return std::make_unique<TfrmActivity>(
                             dir.filePath("activity.log").toStdString());
                     }});
    cases.push_back({"exit wait", [] { return std::make_unique<ExitWait>(nullptr, [] {}); }});
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
