// Each parameter dialog, with the longest texts it is opened with, shows every text whole and
// keeps its designed width, whatever font the desktop uses.

#include "param_dialog_test_support.h"
#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/path.h"
#include "widgets/form_layout_checks.h"

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
        {"file size", [](ParamExchange& x) { x.sizeValue = 2147483647; },
         [] { return std::make_unique<TfrmFileSize>(); }, QSize(297, 135)},
        {"file date", [](ParamExchange& x) { x.daysValue = 365; },
         [] { return std::make_unique<TfrmDateSel>(); }, QSize(296, 135)},
        {"move path", [](ParamExchange& x) { x.pathTarget = "rMove"; },
         [] { return std::make_unique<TfrmPath>(); }, QSize(289, 91)},
        {"copy path", [](ParamExchange& x) { x.pathTarget = "rCopy"; },
         [] { return std::make_unique<TfrmPath>(); }, QSize(289, 91)},
        {"launch", [](ParamExchange& x) { x.currentText = "specified"; },
         [] { return std::make_unique<TfrmLaunch>(); }, QSize(268, 165)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(exchange());
        const std::unique_ptr<QDialog> dialog = c.open();
        EXPECT_EQ(dialog->width(), c.design.width());
        EXPECT_GE(dialog->height(), c.design.height());
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()); // a fixed border
        testing::expectFormShowsWhole(*dialog);
    }
}

} // namespace
} // namespace lp
