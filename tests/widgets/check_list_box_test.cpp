#include "widgets/check_list_box.h"

#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <gtest/gtest.h>

namespace lp {
namespace {

class CheckListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box.resize(300, 200);
        for (const char* text : {"first", "second", "third"})
            box.addLine(QString::fromLatin1(text));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }

    // Where the tick of line index is drawn, in viewport coordinates.
    QPoint tickCentre(int index) {
        QStyleOptionViewItem option;
        option.initFrom(&box);
        option.rect = box.visualItemRect(box.item(index));
        option.features = QStyleOptionViewItem::HasCheckIndicator;
        const QRect tick =
            box.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &box);
        return tick.center();
    }

    void clickTick(int index) {
        QTest::mouseClick(box.viewport(), Qt::LeftButton, {}, tickCentre(index));
    }

    TCheckListBox box;
};

// What the handler sees when the event arrives: the toggled line is current and shows its new tick.
struct Seen {
    int current;
    bool tick;
};

TEST_F(CheckListBoxTest, UserToggleRaisesEventWithToggledLineCurrentAndNewState) {
    box.setCurrentRow(0);
    std::vector<Seen> seen;
    QObject::connect(&box, &TCheckListBox::clickCheck, [&] {
        seen.push_back({box.currentRow(), box.checked(box.currentRow())});
    });

    clickTick(2); // mouse on the tick of a line that is not current
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].current, 2);
    EXPECT_TRUE(seen[0].tick);

    box.setCurrentRow(1);
    QTest::keyClick(box.viewport(), Qt::Key_Space); // the space bar toggles the current line
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].current, 1);
    EXPECT_TRUE(seen[1].tick);

    clickTick(2); // and off again
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].current, 2);
    EXPECT_FALSE(seen[2].tick);
    EXPECT_FALSE(box.checked(2));
}

TEST_F(CheckListBoxTest, DisabledLineKeepsItsTickAndCannotBeToggled) {
    box.setChecked(1, true);
    box.setLineEnabled(1, false);
    QSignalSpy spy(&box, &TCheckListBox::clickCheck);

    clickTick(1);
    box.toggleByUser(1);
    EXPECT_TRUE(box.checked(1));
    EXPECT_FALSE(box.lineEnabled(1));
    EXPECT_EQ(spy.count(), 0);

    box.setLineEnabled(1, true);
    clickTick(1);
    EXPECT_FALSE(box.checked(1));
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(CheckListBoxTest, ChangesMadeByTheProgramRaiseNothing) {
    QSignalSpy spy(&box, &TCheckListBox::clickCheck);
    box.setChecked(0, true);
    box.setChecked(0, false);
    box.setLineEnabled(2, false);
    box.setLineEnabled(2, true);
    box.item(1)->setText(QStringLiteral("renamed"));
    box.addLine(QStringLiteral("fourth"));
    box.deleteLine(0);
    EXPECT_EQ(spy.count(), 0);

    // A line set by the program is still toggled by the user from its new state.
    box.setChecked(0, true);
    box.toggleByUser(0);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(box.checked(0));
}

TEST_F(CheckListBoxTest, LinesAreAddedAndDeletedByPosition) {
    EXPECT_EQ(box.addLine(QStringLiteral("fourth")), 3);
    box.setChecked(3, true);
    box.deleteLine(1);
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.item(1)->text(), QStringLiteral("third"));
    EXPECT_TRUE(box.checked(2));
    EXPECT_TRUE(box.lineEnabled(2));
    // Out of range reads as unticked and disabled, and writes are ignored.
    EXPECT_FALSE(box.checked(7));
    EXPECT_FALSE(box.lineEnabled(-1));
    box.setChecked(7, true);
    box.deleteLine(9);
    EXPECT_EQ(box.count(), 3);
    box.clearLines();
    EXPECT_EQ(box.count(), 0);
}

} // namespace
} // namespace lp
