#include "ruledef/filesized.h"

#include "param_dialog_test_support.h"
#include "ruledef/exchange_values.h"

namespace lp {
namespace {

using namespace lp::testing;

TEST(TfrmFileSize, PreFillsFromTheSizeValue) {
    const struct {
        std::uint8_t comparison;
        std::int32_t size;
        bool greater;
        QString shown;
    } cases[] = {
        {cmpLess, -1, true, ""}, // not yet given: the design
        {cmpLess, 50, false, "50"}, {cmpGreater, 7, true, "7"},
        {cmpNone, 3, false, "3"},   {cmpGreater, 0, true, "0"},
    };
    for (const auto& c : cases) {
        exchange().comparison = c.comparison;
        exchange().sizeValue = c.size;
        TfrmFileSize dialog;
        EXPECT_EQ(dialog.windowTitle(), "Enter File Size");
        EXPECT_EQ(dialog.size(), QSize(297, 135));
        EXPECT_EQ(control<QRadioButton>(dialog, "rbgt").isChecked(), c.greater) << c.size;
        EXPECT_EQ(control<QRadioButton>(dialog, "rblt").isChecked(), !c.greater) << c.size;
        EXPECT_EQ(edit(dialog, "teFileSize").text(), c.shown);
    }
}

TEST(TfrmFileSize, OkStoresComparisonAndSizeOrRefuses) {
    const struct {
        QString typed;
        const char* radio;
        std::optional<std::int32_t> size;
        std::uint8_t comparison;
    } cases[] = {
        {"100", "rbgt", 100, cmpGreater}, {"0", "rblt", 0, cmpLess},
        {"-1", "rbgt", std::nullopt, 0},  {"ten", "rbgt", std::nullopt, 0},
        {"", "rblt", std::nullopt, 0},    {"99999999999", "rbgt", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        exchange().comparison = cmpNone;
        exchange().sizeValue = -1;
        WarningLog warnings;
        TfrmFileSize dialog;
        dialog.show();
        control<QRadioButton>(dialog, c.radio).setChecked(true);
        type(dialog, "teFileSize", c.typed);
        press(dialog, "Button1");
        if (c.size) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(exchange().sizeValue, *c.size);
            EXPECT_EQ(exchange().comparison, c.comparison);
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(warnings.lastText(), "Invalid file size value.");
            EXPECT_EQ(warnings.shown().at(0).topLeft, dialog.frameGeometry().topLeft());
            EXPECT_EQ(exchange().sizeValue, -1);
            EXPECT_EQ(exchange().comparison, cmpNone);
        }
    }
}

TEST(TfrmFileSize, CancelChangesNoExchangeValue) {
    exchange().comparison = cmpLess;
    exchange().sizeValue = 50;
    TfrmFileSize dialog;
    control<QRadioButton>(dialog, "rbgt").setChecked(true);
    type(dialog, "teFileSize", "9");
    press(dialog, "Button2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(exchange().sizeValue, 50);
    EXPECT_EQ(exchange().comparison, cmpLess);
}

} // namespace
} // namespace lp
