#include "ruledef/datesel.h"

#include "param_dialog_test_support.h"
#include "ruledef/exchange_values.h"
#include "widgets/up_down.h"

#include <QKeyEvent>

namespace lp {
namespace {

using namespace lp::testing;

TEST(TfrmDateSel, PreFillsFromTheDaysValue) {
    const struct {
        std::uint8_t comparison;
        std::int32_t days;
        bool greater;
        QString shown;
    } cases[] = {
        {cmpLess, -1, true, "10"}, // not yet given: the design
        {cmpLess, 3, false, "3"},
        {cmpGreater, 365, true, "365"}, // above the arrows' range, shown as stored
    };
    for (const auto& c : cases) {
        exchange().comparison = c.comparison;
        exchange().daysValue = c.days;
        TfrmDateSel dialog;
        EXPECT_EQ(dialog.windowTitle(), "File Date Definition");
        EXPECT_EQ(dialog.size(), QSize(296, 135));
        EXPECT_EQ(control<QRadioButton>(dialog, "rbgt").isChecked(), c.greater);
        EXPECT_EQ(control<QRadioButton>(dialog, "rblt").isChecked(), !c.greater);
        EXPECT_EQ(edit(dialog, "teDays").text(), c.shown);
        EXPECT_GE(edit(dialog, "teDays").width(), 25); // the design, or wide enough for 10 digits
    }
}

TEST(TfrmDateSel, OkStoresComparisonAndDaysOrRefuses) {
    const struct {
        QString typed;
        const char* radio;
        std::optional<std::int32_t> days;
        std::uint8_t comparison;
        QString refusal = "Invalid number of days.";
    } cases[] = {
        {"365", "rbgt", 365, cmpGreater},
        {"0", "rblt", 0, cmpLess},
        {"36525", "rbgt", 36525, cmpGreater}, // a hundred years
        {"-2", "rbgt", std::nullopt, 0},
        {"x", "rblt", std::nullopt, 0},
        {"", "rbgt", std::nullopt, 0},
        {"36526", "rbgt", std::nullopt, 0, "Number of days cannot be more than 36525 (100 years)."},
        {"999999999", "rblt", std::nullopt, 0,
         "Number of days cannot be more than 36525 (100 years)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        exchange().comparison = cmpNone;
        exchange().daysValue = -1;
        WarningLog warnings;
        TfrmDateSel dialog;
        dialog.show();
        control<QRadioButton>(dialog, c.radio).setChecked(true);
        type(dialog, "teDays", c.typed);
        press(dialog, "Button1");
        if (c.days) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(exchange().daysValue, *c.days);
            EXPECT_EQ(exchange().comparison, c.comparison);
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(warnings.lastText(), c.refusal);
            EXPECT_EQ(warnings.shown().at(0).topLeft, dialog.frameGeometry().topLeft());
            EXPECT_EQ(exchange().daysValue, -1);
        }
    }
    // Cancel keeps the exchange as it was.
    TfrmDateSel dialog;
    type(dialog, "teDays", "4");
    press(dialog, "Button2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(exchange().daysValue, -1);
}

TEST(TfrmDateSel, ArrowsMoveTheDaysWithinZeroToHundredWithoutWrapping) {
    exchange().daysValue = -1;
    TfrmDateSel dialog;
    auto& arrows = control<TUpDown>(dialog, "UpDown1");
    EXPECT_EQ(arrows.minimum(), 0);
    EXPECT_EQ(arrows.maximum(), 100);
    EXPECT_EQ(arrows.position(), 10);
    EXPECT_EQ(arrows.increment(), 1);
    EXPECT_FALSE(arrows.wrap());

    const struct {
        QString typed; // what the field holds before the arrow
        bool up;
        QString after;
    } cases[] = {
        {"10", true, "11"},   {"10", false, "9"},   {"0", false, "0"},
        {"100", true, "100"}, {"365", true, "100"}, {"365", false, "99"},
        {"-4", true, "1"},    {"abc", true, "2"}, // no number: from the last position
    };
    for (const auto& c : cases) {
        type(dialog, "teDays", c.typed);
        c.up ? arrows.stepUp() : arrows.stepDown();
        EXPECT_EQ(edit(dialog, "teDays").text(), c.after) << c.typed.toStdString() << c.up;
    }
    // The arrow keys in the field work as the arrows do.
    type(dialog, "teDays", "50");
    QTest::keyClick(&edit(dialog, "teDays"), Qt::Key_Up);
    EXPECT_EQ(edit(dialog, "teDays").text(), "51");
}

} // namespace
} // namespace lp
