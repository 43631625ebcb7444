// Long names and paths in the lists and fields: shortened in the middle, whole in a tooltip.

#include "widgets/check_list_box.h"
#include "widgets/path_field.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace lp {
namespace {

const QString kLongPath =
    QStringLiteral("/home/user/a/rather/deep/folder/that/no/narrow/field/can/show/Installers");

// A field or list as narrow or wide as the case says, with the focus on another widget or on the
// field itself.
class LongTextForm {
public:
    LongTextForm() {
        form.resize(1000, 200);
        other = new QLineEdit(&form);
        other->move(0, 150);
    }
    void show() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    QWidget form;
    QLineEdit* other = nullptr;
};

TEST(PathField, ShowsALongPathShortenedInTheMiddleUntilItIsEdited) {
    const struct {
        const char* name;
        QString text;
        int width;
        bool focused;
        bool shortened; // what the field paints
    } cases[] = {
        {"long path, narrow field", kLongPath, 180, false, true},
        {"long path being edited", kLongPath, 180, true, false},
        {"long path, wide field", kLongPath, 900, false, false},
        {"short path", QStringLiteral("/tmp/a"), 180, false, false},
        {"empty", QString(), 180, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LongTextForm form;
        auto* field = new PathField(&form.form);
        field->setGeometry(0, 0, c.width, 23);
        field->setText(c.text);
        form.show();
        (c.focused ? static_cast<QWidget*>(field) : form.other)->setFocus();
        QTest::qWait(10);
        EXPECT_EQ(field->text(), c.text) << "the text itself is never changed";
        const bool cut = field->shownText() != c.text;
        EXPECT_EQ(cut, c.width < 900 && c.text == kLongPath);
        if (cut) {
            EXPECT_TRUE(field->shownText().startsWith("/home/user"));
            EXPECT_TRUE(field->shownText().endsWith("Installers"));
            EXPECT_EQ(field->toolTip(), c.text);
        } else {
            EXPECT_EQ(field->toolTip(), QString());
        }
        // What is painted: the shortened text, neither the start nor the end of the path that
        // an ordinary edit shows.
        if (!c.shortened)
            continue;
        const QImage painted = field->grab().toImage();
        for (const bool atEnd : {false, true}) {
            QLineEdit plain(&form.form);
            plain.setGeometry(field->geometry());
            plain.setText(c.text);
            plain.setCursorPosition(atEnd ? int(c.text.size()) : 0);
            EXPECT_NE(painted, plain.grab().toImage()) << "cursor at end " << atEnd;
        }
    }
}

TEST(PathField, TheTooltipFollowsTheTextAndTheWidth) {
    LongTextForm form;
    auto* field = new PathField(&form.form);
    field->setGeometry(0, 0, 180, 23);
    form.show();
    const struct {
        const char* step;
        QString text;
        int width;
        QString tip;
    } steps[] = {
        {"typed long", kLongPath, 180, kLongPath},
        {"widened", kLongPath, 950, QString()},
        {"narrowed", kLongPath, 180, kLongPath},
        {"typed short", QStringLiteral("/tmp"), 180, QString()},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        field->setText(step.text);
        field->resize(step.width, 23);
        EXPECT_EQ(field->toolTip(), step.tip);
    }
}

// The list's lines never run past its right edge (no sideways scrolling): a long one is drawn
// shortened in the middle, and every line tells itself whole in its tooltip, or in the tip given.
TEST(CheckListBox, LongLinesStayWithinTheListAndShowWholeInTheirTooltips) {
    for (const int width : {160, 600}) {
        SCOPED_TRACE(width);
        TCheckListBox box;
        box.resize(width, 120);
        box.addLine(QStringLiteral("short"));
        box.addLine(kLongPath);
        const int named = box.addLine(QStringLiteral("Downloads"));
        box.setLineTip(named, QStringLiteral("Downloads\n/home/user/Downloads"));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        EXPECT_FALSE(box.horizontalScrollBar()->isVisible());
        for (int line = 0; line < box.count(); ++line)
            EXPECT_LE(box.visualItemRect(box.item(line)).right(), box.viewport()->width());
        EXPECT_EQ(box.textElideMode(), Qt::ElideMiddle);
        EXPECT_EQ(box.item(0)->toolTip(), "short");
        EXPECT_EQ(box.item(1)->toolTip(), kLongPath);
        EXPECT_EQ(box.item(named)->toolTip(), "Downloads\n/home/user/Downloads");
        box.setLineTip(99, QStringLiteral("nothing")); // a line that is not there: no change
        EXPECT_EQ(box.count(), 3);
    }
}

} // namespace
} // namespace lp
