#include "ruledef/fext.h"

#include "param_dialog_test_support.h"
#include "ruledef/exchange_values.h"

#include <QCheckBox>
#include <QLabel>

namespace lp {
namespace {

using namespace lp::testing;

void prepare(const char* caption, const char* prompt, const char* currentText) {
    exchange().caption = caption;
    exchange().prompt = prompt;
    exchange().currentText = currentText;
    exchange().number = -77;
    exchange().anyCase = false;
}

TEST(TfrmInput, CaptionPicksTheModeAndPromptAndTextPreFill) {
    const struct {
        const char* caption;
        const char* currentText;
        bool numberMode;
        QString shown;
    } cases[] = {
        {"Enter File Extension", "specified", false, ""},
        {"Enter File Extension", "mp3;mp2", false, "mp3;mp2"},
        {"Enter File Count", "20", true, "20"},
        {"Enter File Size", "specified", true, ""},
        {"enter file count", "", false, ""},
        {"", "x", false, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        prepare(c.caption, "The prompt:", c.currentText);
        TfrmInput dialog;
        EXPECT_EQ(dialog.numberMode(), c.numberMode);
        EXPECT_EQ(dialog.windowTitle(), c.caption);
        EXPECT_EQ(control<QLabel>(dialog, "Label1").text(), "The prompt:");
        EXPECT_EQ(edit(dialog, "teInput").text(), c.shown);
        // A number field: the design's 40 pixels, or as wide as its largest number needs.
        if (c.numberMode) {
            EXPECT_GE(edit(dialog, "teInput").width(), 40);
            EXPECT_LT(edit(dialog, "teInput").width(), 265);
        } else {
            EXPECT_EQ(edit(dialog, "teInput").width(), 265);
        }
        // The extension list shows what it will be stored as on a line of its own.
        const bool extensions = std::string(c.caption) == "Enter File Extension";
        EXPECT_EQ(dialog.size(), QSize(290, extensions ? 132 : 92));
    }
}

TEST(TfrmInput, NumberModeAcceptsOnlyNonNegativeWholeNumbers) {
    const struct {
        QString typed;
        std::optional<std::int32_t> number; // nothing: refused
    } cases[] = {
        {"0", 0},
        {"12", 12},
        {"+7", 7},
        {"2147483647", 2147483647},
        {"-5", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"12a", std::nullopt},
        {"1.5", std::nullopt},
        {"2147483648", std::nullopt},
        {"0x10", std::nullopt},
        {" 5", std::nullopt},
        {"+-5", std::nullopt},
        {"-0", 0},
    };
    for (const char* caption : {"Enter File Count", "Enter File Size"}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(caption) + " / " + c.typed.toStdString());
            prepare(caption, "", "specified");
            WarningLog warnings;
            TfrmInput dialog;
            dialog.show();
            type(dialog, "teInput", c.typed);
            press(dialog, "Button2");
            if (c.number) {
                EXPECT_EQ(dialog.result(), QDialog::Accepted);
                EXPECT_EQ(exchange().number, *c.number);
                EXPECT_TRUE(warnings.shown().empty());
            } else {
                EXPECT_TRUE(dialog.isVisible());
                EXPECT_EQ(exchange().number, -77);
                ASSERT_EQ(warnings.shown().size(), 1u);
                EXPECT_EQ(warnings.lastText(), "Invalid value for file count");
                EXPECT_EQ(warnings.shown()[0].topLeft, dialog.frameGeometry().topLeft());
                EXPECT_EQ(edit(dialog, "teInput").text(), c.typed); // kept as typed
            }
        }
    }
}

TEST(TfrmInput, TextModeTakesAnyTextButNoLineBreak) {
    for (const QString& typed : {QString("mp3"), QString(""), QString(" a ; b ")}) {
        prepare("Enter File Extension", "", "old");
        TfrmInput dialog;
        type(dialog, "teInput", typed);
        press(dialog, "Button2");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(exchange().currentText, typed.toStdString());
    }
    for (const QString& typed : {QString("mp3\nmp2"), QString("mp3\r")}) {
        prepare("Enter File Extension", "", "old");
        WarningLog warnings;
        TfrmInput dialog;
        dialog.show();
        type(dialog, "teInput", typed);
        press(dialog, "Button2");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(warnings.lastText(), "Line breaks are not allowed here.");
        EXPECT_EQ(exchange().currentText, "old");
    }
}

TEST(TfrmInput, TheExtensionListIsStoredWithoutDotsAndRefusedWhereItCanNeverMatch) {
    const struct {
        QString typed;
        const char* stored; // nullptr: refused
    } cases[] = {
        {"*.pdf", "pdf"},         {".pdf;*.JPG;mp3", "pdf;JPG;mp3"},
        {"tar.gz", nullptr},      {"*.*", nullptr},
        {"p?f", nullptr},         {"a/b", nullptr},
        {"..pdf", nullptr},       {"txt;", "txt"},
        {";pdf;;jpg", "pdf;jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prepare("Enter File Extension", "", "old");
        WarningLog warnings;
        TfrmInput dialog;
        dialog.show();
        type(dialog, "teInput", c.typed);
        const QString shown = control<QLabel>(dialog, "lblStored").text();
        press(dialog, "Button2");
        if (c.stored) {
            EXPECT_EQ(shown, QString("Stored as: ") + c.stored);
            EXPECT_FALSE(exchange().anyCase); // as it came in
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(exchange().currentText, c.stored);
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(warnings.lastText().indexOf("can never match"), -1)
                << warnings.lastText().toStdString();
            EXPECT_EQ(exchange().currentText, "old");
        }
    }
}

TEST(TfrmInput, ATypeListTakesTheTypeWordsAndMimePatternsOnly) {
    const struct {
        QString typed;
        bool taken;
    } cases[] = {
        {"Images;application/pdf", true},
        {"audio/*;text", true},
        {"images;", true},
        {"Pictures", false},
        {"image", false},
        {"Images;/pdf", false},
        {"a/b/c", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prepare("Enter File Types", "", "old");
        WarningLog warnings;
        TfrmInput dialog;
        dialog.show();
        type(dialog, "teInput", c.typed);
        press(dialog, "Button2");
        if (c.taken) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(exchange().currentText, c.typed.toStdString());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(warnings.lastText().indexOf("is no type"), -1)
                << warnings.lastText().toStdString();
            EXPECT_EQ(exchange().currentText, "old");
        }
    }
}

TEST(TfrmInput, TheLetterCaseChoiceComesInAndGoesOutWithTheList) {
    for (const bool given : {false, true}) {
        prepare("Enter File Extension", "", "pdf");
        exchange().anyCase = given;
        TfrmInput dialog;
        auto& box = control<QCheckBox>(dialog, "cbAnyCase");
        EXPECT_EQ(box.isChecked(), given);
        box.setChecked(!given);
        press(dialog, "Button2");
        EXPECT_EQ(exchange().anyCase, !given);
    }
}

TEST(TfrmInput, CancelEmptiesTheCurrentTextOnly) {
    prepare("Enter File Count", "", "20");
    TfrmInput dialog;
    type(dialog, "teInput", "5");
    press(dialog, "Button3");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(exchange().currentText, "");
    EXPECT_EQ(exchange().number, -77);
}

} // namespace
} // namespace lp
