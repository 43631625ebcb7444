// Each parameter dialog, with the longest texts it is opened with, shows every text whole and
// keeps its designed width, whatever font the desktop uses.

#include "param_dialog_test_support.h"
#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/new_name.h"
#include "ruledef/path.h"
#include "widgets/form_layout_checks.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

#include <functional>
#include <memory>

namespace lp {
namespace {

TEST(ParamDialogLayout, EveryTextShowsWholeAtTheDesignedWidth) {
    const struct {
        const char* what;
        std::function<void(ParamExchange&)> prepare;
        std::function<std::unique_ptr<QDialog>()> open;
        QSize design;
    } cases[] = {
        {"extension",
         [](ParamExchange& x) {
             x.caption = "Enter File Extension";
             x.prompt = "Enter file extensions separated by semicolans(mp2;mp3):";
             x.currentText = "mp3;mp2";
         },
         [] { return std::make_unique<TfrmInput>(); }, QSize(290, 92)},
        {"total size",
         [](ParamExchange& x) {
             x.caption = "Enter File Size";
             x.prompt = "Enter total file size (MB):";
             x.currentText = "10";
         },
         [] { return std::make_unique<TfrmInput>(); }, QSize(290, 92)},
        {"names to leave out",
         [](ParamExchange& x) {
             x.caption = "Enter Names to Leave Out";
             x.prompt = "Enter patterns of names to leave out (*.part;~*):";
             x.currentText = "*.part";
         },
         [] { return std::make_unique<TfrmInput>(); }, QSize(290, 92)},
        {"types, with the words a type may be",
         [](ParamExchange& x) {
             x.caption = "Enter File Types";
             x.prompt = "Enter types separated by semicolons (Images;application/pdf):";
             x.currentText = "Images";
         },
         [] { return std::make_unique<TfrmInput>(); }, QSize(290, 112)},
        {"file size", [](ParamExchange& x) { x.sizeValue = 2147483647; },
         [] { return std::make_unique<TfrmFileSize>(); }, QSize(297, 135)},
        {"file date", [](ParamExchange& x) { x.daysValue = 365; },
         [] { return std::make_unique<TfrmDateSel>(); }, QSize(296, 135)},
        {"move path", [](ParamExchange& x) { x.pathTarget = "rMove"; },
         [] { return std::make_unique<TfrmPath>(); }, QSize(289, 176)},
        {"copy path", [](ParamExchange& x) { x.pathTarget = "rCopy"; },
         [] { return std::make_unique<TfrmPath>(); }, QSize(289, 176)},
        // The longest reason the example line gives.
        {"new name",
         [](ParamExchange& x) { x.currentText = "{taken.year}-{taken.month}-{taken.day} {name"; },
         [] { return std::make_unique<TfrmNewName>(); }, QSize(289, 176)},
        {"launch", [](ParamExchange& x) { x.currentText = "specified"; },
         [] { return std::make_unique<TfrmLaunch>(); }, QSize(268, 165)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(exchange());
        const std::unique_ptr<QDialog> dialog = c.open();
        // Wider than designed only where the title bar could not show the caption whole.
        const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
        const int caption = title.horizontalAdvance(dialog->windowTitle());
        EXPECT_GE(dialog->width(), c.design.width());
        EXPECT_LT(caption, dialog->width()) << "the caption is shown whole";
        if (caption * 2 < c.design.width()) {
            EXPECT_EQ(dialog->width(), c.design.width());
        }
        EXPECT_GE(dialog->height(), c.design.height());
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()); // a fixed border
        testing::expectFormShowsWhole(*dialog);
    }
}

// Each dialog opens with the focus in its field, the text already there selected, so that typing
// replaces it ("50" and typing "30" gives "30").
TEST(ParamDialogLayout, OpensInItsFieldWithThePreFilledTextSelected) {
    const struct {
        const char* what;
        std::function<void(ParamExchange&)> prepare;
        std::function<std::unique_ptr<QDialog>()> open;
        const char* field;
        QString filled;
    } cases[] = {
        {"count",
         [](ParamExchange& x) {
             x.caption = "Enter File Count";
             x.prompt = "Enter file count:";
             x.currentText = "50";
         },
         [] { return std::make_unique<TfrmInput>(); }, "teInput", "50"},
        {"file size",
         [](ParamExchange& x) {
             x.sizeValue = 50;
             x.comparison = cmpLess;
         },
         [] { return std::make_unique<TfrmFileSize>(); }, "teFileSize", "50"},
        {"file date (the design's number)", [](ParamExchange& x) { x.daysValue = -1; },
         [] { return std::make_unique<TfrmDateSel>(); }, "teDays", "10"},
        {"path",
         [](ParamExchange& x) {
             x.pathTarget = "rMove";
             x.currentText = "/srv/in";
         },
         [] { return std::make_unique<TfrmPath>(); }, "tePath", "/srv/in"},
        {"new name", [](ParamExchange& x) { x.currentText = "{name}.{ext}"; },
         [] { return std::make_unique<TfrmNewName>(); }, "teName", "{name}.{ext}"},
        {"launch",
         [](ParamExchange& x) {
             x.currentText = "/usr/bin/player";
             x.launchParams = "mfile";
         },
         [] { return std::make_unique<TfrmLaunch>(); }, "teProgram", "/usr/bin/player"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(exchange());
        const std::unique_ptr<QDialog> dialog = c.open();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        auto* field = dialog->findChild<QLineEdit*>(c.field);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(QApplication::focusWidget(), field);
        EXPECT_EQ(field->selectedText(), c.filled);
        QTest::keyClicks(field, "30");
        EXPECT_EQ(field->text(), "30");
        dialog->reject();
    }
}

// A number field shows the largest number it takes whole ("3650" days once showed as "650"), and
// the age dialog's arrows stay beside it, inside the dialog.
TEST(ParamDialogLayout, NumberFieldsShowTheirLargestNumberWhole) {
    const struct {
        const char* what;
        std::function<void(ParamExchange&)> prepare;
        std::function<std::unique_ptr<QDialog>()> open;
        const char* field;
    } cases[] = {
        {"count",
         [](ParamExchange& x) {
             x.caption = "Enter File Count";
             x.prompt = "Enter file count:";
             x.currentText = "2147483647";
         },
         [] { return std::make_unique<TfrmInput>(); }, "teInput"},
        {"file size", [](ParamExchange& x) { x.sizeValue = 2147483647; },
         [] { return std::make_unique<TfrmFileSize>(); }, "teFileSize"},
        {"file date", [](ParamExchange& x) { x.daysValue = 2147483647; },
         [] { return std::make_unique<TfrmDateSel>(); }, "teDays"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(exchange());
        const std::unique_ptr<QDialog> dialog = c.open();
        auto* field = dialog->findChild<QLineEdit*>(c.field);
        ASSERT_NE(field, nullptr);
        ASSERT_EQ(field->text(), "2147483647");
        // Inside its frame, two pixels each side of the text and one for the cursor.
        const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const int room = field->width() - 2 * frame - 2 * 2 - 1;
        EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), room);
        if (auto* arrows = dialog->findChild<QWidget*>("UpDown1")) {
            EXPECT_EQ(arrows->x(), field->geometry().right() + 1);
        }
        testing::expectFormShowsWhole(*dialog);
    }
}

} // namespace
} // namespace lp
