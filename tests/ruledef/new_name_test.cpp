#include "ruledef/new_name.h"

#include "param_dialog_test_support.h"
#include "ruledef/exchange_values.h"
#include "ruledef/param_click.h"
#include "support/rule_action.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QLabel>

namespace lp {
namespace {

using namespace lp::testing;

TEST(TfrmNewName, InsertPutsThePlaceholderAtTheCursorAndTypingGoesOnThere) {
    exchange().currentText = "{name}.{ext}";
    TfrmNewName dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(dialog.windowTitle(), "Enter New Name");
    control<QComboBox>(dialog, "cbPlaceholder").setCurrentText("{taken.year}");
    edit(dialog, "teName").setCursorPosition(6);
    press(dialog, "Button4");
    EXPECT_EQ(QApplication::focusWidget(), &edit(dialog, "teName"));
    QTest::keyClicks(&edit(dialog, "teName"), " ");
    EXPECT_EQ(edit(dialog, "teName").text(), "{name}{taken.year} .{ext}");
}

// The example names today's date the way the placeholders write it, so that a date read the wrong
// way round or a placeholder left as typed shows before the rule runs.
TEST(TfrmNewName, TheExampleFollowsTheText) {
    const QString today = QDate::currentDate().toString("yyyy-MM-dd");
    const struct {
        QString typed;
        QString example;
    } cases[] = {
        {"{year}-{month}-{day} {name}.{ext}", "photo.jpg becomes " + today + " photo.jpg"},
        {"{taken.day}.{taken.month} {{{name}}",
         "photo.jpg becomes " + today.mid(8, 2) + "." + today.mid(5, 2) + " {photo}"},
        {"scan.{ext}", "photo.jpg becomes scan.jpg. Without {name}, files may share a name: the "
                       "name-clash choice decides."},
        {"{folder}", "photo.jpg is not renamed: the name comes out empty"},
        {"{colour}.{ext}", "{colour} is no placeholder Larchpost knows"},
        {"{name", "a \"{\" is not closed by \"}\" (write \"{{\" for a \"{\")"},
        {"old/{name}", "a name holds no \"/\""},
        {"", ""},
    };
    exchange().currentText = "{name}.{ext}";
    TfrmNewName dialog;
    for (const auto& c : cases) {
        type(dialog, "teName", c.typed);
        EXPECT_EQ(control<QLabel>(dialog, "lbExample").text(), c.example) << c.typed.toStdString();
    }
}

// OK stores a name that can be made and clears the mark of a placeholder not known; one that
// cannot is refused in the dialog, and cancelling then keeps the name the rule had.
TEST(TfrmNewName, OkStoresOnlyANameThatCanBeMade) {
    const struct {
        QString typed;
        QString refusal; // empty: stored
    } cases[] = {
        {"{year} {name}.{ext}", ""},
        {"plain name", ""},
        {"{colour}.{ext}", "The name cannot be used: {colour} is no placeholder Larchpost knows."},
        {"photos/{name}", "The name cannot be used: a name holds no \"/\"."},
        {"a\nb", "Line breaks are not allowed here."},
        {"", "The name cannot be used: it is empty."},
        {"   ", "The name cannot be used: it is empty."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        RuleRec rule;
        rule.actions = {test::MakeAction(rRename)};
        rule.actioncnt = 1;
        rule.actions[0].racrename.newname = "{shade}.{ext}";
        rule.actions[0].unknownPlaceholder = true;
        WarningLog warnings;
        ModalAnswer answer([&](QDialog& d) {
            EXPECT_EQ(edit(d, "teName").text(), "{shade}.{ext}");
            type(d, "teName", c.typed);
            press(d, "Button2");
            if (d.isVisible())
                press(d, "Button3");
            return d.result();
        });
        editRuleParameter(nullptr, rule, "rRename", "{shade}.{ext}");
        ASSERT_EQ(answer.opened(), 1);
        const bool stored = c.refusal.isEmpty();
        EXPECT_EQ(rule.actions[0].racrename.newname,
                  stored ? c.typed.toStdString() : "{shade}.{ext}");
        EXPECT_EQ(rule.actions[0].unknownPlaceholder, !stored);
        EXPECT_EQ(warnings.lastText(), c.refusal);
    }
}

} // namespace
} // namespace lp
