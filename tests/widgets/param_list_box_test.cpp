#include "widgets/param_list_box.h"

#include "widgets/param_markup.h"

#include <QImage>
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

} // namespace
} // namespace lp
