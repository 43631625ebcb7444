#include "widgets/param_list_box.h"

#include "widgets/param_markup.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace lp {
namespace {

TEST(ParseParamLine, SplitsPlainTextAndOneLink) {
    const struct {
        QString line;
        bool hasLink;
        QString before, href, linkText, after;
    } cases[] = {
        {"Whenever a new completed file exists", false, "Whenever a new completed file exists", "",
         "", ""},
        {"x <a href=\"FileCount\">20</a>", true, "x ", "FileCount", "20", ""},
        {"s <a href=\"TotalFileSize\">10</a> MB", true, "s ", "TotalFileSize", "10", " MB"},
        {"<a href=\"rDelete\">Delete file</a>(s)", true, "", "rDelete", "Delete file", "(s)"},
        // A folder name holding markup is shown whole, up to the last closing tag.
        {"to <a href=\"rMove\">/a</a>b <a href=\"x\">c</a> directory", true, "to ", "rMove",
         "/a</a>b <a href=\"x\">c", " directory"},
        {"e <a href=\"FileExt\"></a>", true, "e ", "FileExt", "", ""},
        // Broken links are plain text.
        {"a <a href=\"rMove\">never closed", false, "a <a href=\"rMove\">never closed", "", "", ""},
        {"a <a href=\"rMove", false, "a <a href=\"rMove", "", "", ""},
        {"a <a href=\"rMove\"x>t</a>", false, "a <a href=\"rMove\"x>t</a>", "", "", ""},
        {"a </a> <a href=\"n\">t", false, "a </a> <a href=\"n\">t", "", "", ""},
    };
    for (const auto& c : cases) {
        const ParamLine parsed = parseParamLine(c.line);
        SCOPED_TRACE(c.line.toStdString());
        EXPECT_EQ(parsed.hasLink, c.hasLink);
        EXPECT_EQ(parsed.before, c.before);
        EXPECT_EQ(parsed.href, c.href);
        EXPECT_EQ(parsed.linkText, c.linkText);
        EXPECT_EQ(parsed.after, c.after);
    }
}

class ParamListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        box.resize(360, 120);
        box.addLine("Whenever the total completed file count exceeds <a href=\"FileCount\">20</a>");
        box.addLine("    Where file extension is <a href=\"FileExt\">mp3;mp2</a>");
        box.addLine("plain line");
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    }
    TParamListBox box;
};

TEST_F(ParamListBoxTest, KeepsLinesAsAddedOnSixteenPixelRows) {
    EXPECT_EQ(box.lineCount(), 3);
    EXPECT_EQ(box.line(1), "    Where file extension is <a href=\"FileExt\">mp3;mp2</a>");
    EXPECT_EQ(box.line(7), QString());
    for (int i = 0; i < box.lineCount(); ++i)
        EXPECT_EQ(box.visualItemRect(box.item(i)).height(), TParamListBox::kRowHeight);
    EXPECT_EQ(box.visualItemRect(box.item(2)).top() - box.visualItemRect(box.item(1)).top(),
              TParamListBox::kRowHeight);
    box.clearLines();
    EXPECT_EQ(box.lineCount(), 0);
}

TEST_F(ParamListBoxTest, MousePressOnTheLinkOnlyRaisesTheEvent) {
    QSignalSpy spy(&box, &TParamListBox::paramClick);
    const QRect link = box.linkRect(1);
    ASSERT_FALSE(link.isEmpty());

    const QPoint misses[] = {{link.left() - 3, link.center().y()},
                             {link.right() + 3, link.center().y()},
                             box.visualItemRect(box.item(2)).center(),
                             {5, box.visualItemRect(box.item(2)).bottom() + 20}};
    for (const QPoint& miss : misses)
        QTest::mousePress(box.viewport(), Qt::LeftButton, {}, miss);
    QTest::mousePress(box.viewport(), Qt::RightButton, {}, link.center());
    EXPECT_EQ(spy.count(), 0);

    QTest::mousePress(box.viewport(), Qt::LeftButton, {}, link.center());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1);
    EXPECT_EQ(spy.at(0).at(1).toString(), "FileExt");
    EXPECT_EQ(spy.at(0).at(2).toString(), "mp3;mp2");

    EXPECT_TRUE(box.pressLink(0));
    EXPECT_FALSE(box.pressLink(2));
    EXPECT_FALSE(box.pressLink(9));
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(1).toString(), "FileCount");
    EXPECT_EQ(spy.at(1).at(2).toString(), "20");
}

TEST_F(ParamListBoxTest, HandlerMayClearAndRefillTheList) {
    QString seenText;
    QObject::connect(&box, &TParamListBox::paramClick, &box,
                     [&](int, const QString&, const QString& shownText) {
                         box.clearLines();
                         box.addLine("<a href=\"FileExt\">rebuilt</a>");
                         seenText = shownText; // still valid after the clear
                     });
    QTest::mousePress(box.viewport(), Qt::LeftButton, {}, box.linkRect(1).center());
    QTest::mouseRelease(box.viewport(), Qt::LeftButton, {}, box.linkRect(0).center());
    EXPECT_EQ(seenText, "mp3;mp2");
    ASSERT_EQ(box.lineCount(), 1);
    EXPECT_EQ(box.line(0), "<a href=\"FileExt\">rebuilt</a>");
    EXPECT_TRUE(box.pressLink(0));
    EXPECT_EQ(seenText, "rebuilt");
}

// Green: clearly more green than red or blue.
bool greenish(QRgb pixel) {
    return qGreen(pixel) > qRed(pixel) + 40 && qGreen(pixel) > qBlue(pixel) + 40;
}

int greenPixels(const QImage& image, const QRect& area) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += greenish(image.pixel(x, y)) ? 1 : 0;
    return count;
}

TEST_F(ParamListBoxTest, DrawsOnlyTheLinkInGreenAndNoSelection) {
    box.setCurrentRow(1); // a current line must not be highlighted
    const QImage image = box.viewport()->grab().toImage();
    const QRect link = box.linkRect(1);
    EXPECT_GT(greenPixels(image, link), 0);
    const QRect plainPart(0, link.top(), link.left() - 1, link.height());
    EXPECT_EQ(greenPixels(image, plainPart), 0);
    // The plain part of the current line is drawn on the list's base colour, not a highlight.
    EXPECT_EQ(image.pixel(1, link.top() + 1), box.palette().color(QPalette::Base).rgb());
}

// The help tells the user to click the underlined words: each link has a line of its own colour
// under its whole width (glyphs alone never fill a row like that), plain text has none.
TEST_F(ParamListBoxTest, UnderlinesEveryLinkAlongItsWidth) {
    const QImage image = box.viewport()->grab().toImage();
    for (const int row : {0, 1}) {
        SCOPED_TRACE(row);
        const QRect link = box.linkRect(row);
        int longest = 0;
        for (int y = link.top(); y <= link.bottom(); ++y)
            longest = std::max(longest, greenPixels(image, QRect(link.left(), y, link.width(), 1)));
        EXPECT_GE(longest, link.width() * 9 / 10);
    }
}

} // namespace
} // namespace lp

namespace lp {
namespace {

// The box as the rule wizard holds it: between two fields, reached by Tab.
class ParamListBoxKeyboard : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(360, 200);
        before = new QLineEdit(&form);
        box = new TParamListBox(&form);
        box->setGeometry(0, 30, 200, 94);
        after = new QLineEdit(&form);
        after->move(0, 150);
        box->addLine(
            "Whenever the total completed file count exceeds <a href=\"FileCount\">20</a>");
        box->addLine("    Where file extension is <a href=\"FileExt\">mp3;mp2</a>");
        box->addLine("plain line");
        box->addLine("    <a href=\"rDelete\">Delete file</a>(s)");
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        before->setFocus();
    }
    QWidget form;
    QLineEdit* before = nullptr;
    TParamListBox* box = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(ParamListBoxKeyboard, TabGoesFromLinkToLinkAndEnterOrSpaceOpensIt) {
    QSignalSpy clicks(box, &TParamListBox::paramClick);
    const struct {
        Qt::Key key;
        QWidget* focus;
        int link;
        const char* opened; // href raised, if any
    } steps[] = {
        {Qt::Key_Tab, box, 0, nullptr},    {Qt::Key_Return, box, 0, "FileCount"},
        {Qt::Key_Tab, box, 1, nullptr},    {Qt::Key_Space, box, 1, "FileExt"},
        {Qt::Key_Down, box, 3, nullptr},   {Qt::Key_Enter, box, 3, "rDelete"},
        {Qt::Key_Up, box, 1, nullptr},     {Qt::Key_Tab, box, 3, nullptr},
        {Qt::Key_Tab, after, -1, nullptr}, {Qt::Key_Backtab, box, 3, nullptr},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(QTest::toString(step.key));
        clicks.clear();
        QTest::keyClick(QApplication::focusWidget(), step.key);
        EXPECT_EQ(QApplication::focusWidget(), step.focus);
        if (step.link >= 0) {
            EXPECT_EQ(box->focusedLink(), step.link);
        }
        if (step.opened) {
            ASSERT_EQ(clicks.count(), 1);
            EXPECT_EQ(clicks.at(0).at(1).toString(), step.opened);
        } else {
            EXPECT_EQ(clicks.count(), 0);
        }
    }
}

TEST_F(ParamListBoxKeyboard, TheFocusedLinkIsFramed) {
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(box->hasFocus());
    ASSERT_EQ(box->focusedLink(), 0);
    const QRect link = box->linkRect(0);
    // The first line is longer than the box: its link at the end is scrolled into view.
    ASSERT_TRUE(box->viewport()->rect().contains(link.adjusted(-1, 0, 1, 0)));
    const QImage framed = box->viewport()->grab().toImage();
    box->clearFocus();
    QTest::qWait(20);
    const QImage plain = box->viewport()->grab().toImage();
    bool differs = false;
    for (int x = link.left() - 1; x <= link.right() + 1 && !differs; ++x)
        differs = framed.pixel(x, link.top()) != plain.pixel(x, link.top()) ||
                  framed.pixel(x, link.bottom()) != plain.pixel(x, link.bottom());
    EXPECT_TRUE(differs) << "a focus frame round the link";
}

// The scroll range follows the widest line wherever it stands, and the box shows whole rows.
TEST(ParamListBoxRows, ScrollsToTheWidestLineAndShowsWholeRows) {
    for (int longAt : {0, 1, 2}) {
        SCOPED_TRACE(longAt);
        TParamListBox box;
        box.resize(200, 94);
        box.fitWholeRows(94);
        const QString longLine =
            "    Move file to <a href=\"rMove\">/a/very/long/path/that/never/fits/in/the/box</a> "
            "directory";
        for (int i = 0; i < 3; ++i)
            box.addLine(i == longAt ? longLine : QStringLiteral("short"));
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        const int widest =
            box.fontMetrics().horizontalAdvance(parseParamLine(longLine).plainText());
        EXPECT_GE(box.horizontalScrollBar()->maximum() + box.viewport()->width(), widest);
        EXPECT_LE(box.height(), 94);
        EXPECT_EQ(box.viewport()->height() % TParamListBox::kRowHeight, 0);
    }
}

} // namespace
} // namespace lp
