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
