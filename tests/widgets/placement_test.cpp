#include "widgets/placement.h"

#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/path.h"

#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace lp {
namespace {

TEST(PlacementAtCursor, CentresOnThePointerWithoutClamping) {
    const struct {
        QPoint cursor;
        QSize dialog;
        QPoint expected;
    } cases[] = {
        {{640, 400}, {290, 92}, {495, 354}},
        {{640, 400}, {297, 135}, {640 - 148, 400 - 67}},  // halves truncate
        {{0, 0}, {268, 165}, {-134, -82}},                // may leave the screen to the left
        {{1270, 790}, {289, 91}, {1270 - 144, 790 - 45}}, // or to the right
        {{-20, -30}, {1, 1}, {-20, -30}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cursor.x());
        EXPECT_EQ(placeAtCursor(c.cursor, c.dialog), c.expected);
    }
}

// A window of its own (the activity and help windows) is shrunk to the screen's free area and,
// placed by the main window's corner, moved back just as far as it must be so that neither its
// frame nor its far controls run off the screen, whatever the screen's size, scale or panels.
TEST(PlacementOnScreen, AWindowTooLargeIsShrunkAndAllOfItStaysOnTheScreen) {
    const struct {
        const char* what;
        QSize wanted;
        QPoint at;
        QRect available;
        QSize expectedSize;
        QPoint expectedAt;
    } cases[] = {
        {"activity at scale 2", {900, 420}, {145, 59}, {0, 0, 800, 500}, {788, 420}, {0, 32}},
        {"help at scale 2", {640, 560}, {145, 59}, {0, 0, 800, 500}, {640, 452}, {145, 0}},
        {"help below a top panel", {640, 560}, {145, 10}, {0, 28, 800, 472}, {640, 424}, {145, 28}},
        {"fits where it is wanted",
         {300, 200},
         {100, 80},
         {0, 0, 1920, 1080},
         {300, 200},
         {100, 80}},
        {"left of the screen", {300, 200}, {-50, -20}, {0, 0, 1920, 1080}, {300, 200}, {0, 0}},
        {"screen right of another",
         {900, 420},
         {1400, 40},
         {1280, 0, 800, 500},
         {788, 420},
         {1280, 32}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QSize size = sizeWithinScreen(c.wanted, c.available.size());
        EXPECT_EQ(size, c.expectedSize);
        const QPoint where = pointWithinScreen(c.at, size, c.available);
        EXPECT_EQ(where, c.expectedAt);
        // The frame's allowance: a quarter of 48 pixels across, 48 down.
        const QRect framed(where, size + QSize(12, 48));
        EXPECT_TRUE(c.available.contains(framed))
            << framed.x() << "," << framed.y() << " " << framed.width() << "x" << framed.height();
    }
}

// Each dialog is placed once its size is final, so a dialog grown for a long caption is still
// centred on the pointer.
TEST(PlacementAtCursor, EveryParameterDialogIsCentredOnThePointer) {
    const struct {
        const char* what;
        std::function<std::unique_ptr<QDialog>()> open;
    } cases[] = {
        {"input",
         [] {
             exchange().caption = "Enter File Extension";
             exchange().prompt = "Enter file extensions separated by semicolans(mp2;mp3):";
             return std::make_unique<TfrmInput>();
         }},
        {"file size", [] { return std::make_unique<TfrmFileSize>(); }},
        {"file date", [] { return std::make_unique<TfrmDateSel>(); }},
        {"path", [] { return std::make_unique<TfrmPath>(); }},
        {"launch", [] { return std::make_unique<TfrmLaunch>(); }},
    };
    const QPoint pointer(300, 250);
    QCursor::setPos(pointer);
    if (QCursor::pos() != pointer)
        GTEST_SKIP() << "this platform does not let a test move the pointer";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::unique_ptr<QDialog> dialog = c.open();
        EXPECT_EQ(dialog->pos(),
                  QPoint(pointer.x() - dialog->width() / 2, pointer.y() - dialog->height() / 2));
    }
}

TEST(PlacementOverMainWindow, TakesTheMainWindowByItsNameAndNothingElse) {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QDialog dialog;
    dialog.resize(200, 100);
    dialog.move(7, 9);
    placeDialogOverMainWindow(dialog);
    EXPECT_EQ(dialog.pos(), QPoint(7, 9)); // no main window: left where it is

    QWidget other;
    other.setObjectName("frmOther");
    other.setGeometry(100, 100, 578, 414);
    placeDialogOverMainWindow(dialog);
    EXPECT_EQ(dialog.pos(), QPoint(7, 9));

    QWidget main;
    main.setObjectName("frmMain");
    main.setGeometry(40, 30, 578, 414);
    placeDialogOverMainWindow(dialog);
    EXPECT_EQ(dialog.pos(), placeOverMainWindow(main.frameGeometry(), dialog.size(), screen));
    EXPECT_EQ(dialog.pos(), QPoint(40 + 289 - 100 + 10, 30 + 207 - 50));
}

} // namespace
} // namespace lp
