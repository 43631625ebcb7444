#include "widgets/param_list_box.h"

#include "widgets/param_markup.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <cstdlib>
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

// A pixel of the link's colour: within a small distance of it, as antialiased glyph edges are not.
bool nearColour(QRgb pixel, const QColor& colour) {
    return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
               std::abs(qBlue(pixel) - colour.blue()) <
           60;
}

int pixelsNear(const QImage& image, const QRect& area, const QColor& colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += nearColour(image.pixel(x, y), colour) ? 1 : 0;
    return count;
}

// The link is green where green reads on the list's background, else the theme's link colour.
struct Theme {
    const char* name;
    QColor base, text, link;
    QColor drawn; // the link's colour as drawn
};
const Theme kThemes[] = {
    {"light", QColor(255, 255, 255), QColor(0, 0, 0), QColor(0, 0, 255), QColor(0, 128, 0)},
    {"dark", QColor(30, 30, 30), QColor(230, 230, 230), QColor(120, 190, 255),
     QColor(120, 190, 255)},
};

void wearTheme(QWidget& widget, const Theme& theme) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Base, theme.base);
    palette.setColor(QPalette::Text, theme.text);
    palette.setColor(QPalette::Link, theme.link);
    widget.setPalette(palette);
}

TEST_F(ParamListBoxTest, DrawsOnlyTheLinkInThePalettesLinkColourAndNoSelection) {
    box.setCurrentRow(1); // a current line must not be highlighted
    for (const Theme& theme : kThemes) {
        SCOPED_TRACE(theme.name);
        wearTheme(box, theme);
        const QImage image = box.viewport()->grab().toImage();
        const QRect link = box.linkRect(1);
        EXPECT_GT(pixelsNear(image, link, theme.drawn), 0);
        const QRect plainPart(0, link.top(), link.left() - 1, link.height());
        EXPECT_EQ(pixelsNear(image, plainPart, theme.drawn), 0);
        EXPECT_GT(pixelsNear(image, plainPart, theme.text), 0);
        // The plain part of the current line is drawn on the list's base colour, not a highlight.
        EXPECT_EQ(image.pixel(1, link.top() + 1), theme.base.rgb());
    }
}

// The help tells the user to click the underlined words: each link has a line of its own colour
// under its whole width (glyphs alone never fill a row like that), plain text has none.
TEST_F(ParamListBoxTest, UnderlinesEveryLinkAlongItsWidth) {
    for (const Theme& theme : kThemes) {
        SCOPED_TRACE(theme.name);
        wearTheme(box, theme);
        const QImage image = box.viewport()->grab().toImage();
        for (const int row : {0, 1}) {
            SCOPED_TRACE(row);
            const QRect link = box.linkRect(row);
            int longest = 0;
            for (int y = link.top(); y <= link.bottom(); ++y)
                longest =
                    std::max(longest, pixelsNear(image, QRect(link.left(), y, link.width(), 1),
                                                 theme.drawn));
            EXPECT_GE(longest, link.width() * 9 / 10);
        }
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

// The tooltip a hover over line index would show; empty when none.
QString tipOver(TParamListBox& box, int index) {
    QToolTip::hideText();
    const QPoint at = box.visualItemRect(box.item(index)).center();
    QHelpEvent event(QEvent::ToolTip, at, box.viewport()->mapToGlobal(at));
    QApplication::sendEvent(box.viewport(), &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// A path too long for the box is shortened in the middle, so that its start and its last name
// both show; the line is whole in its tooltip and in what a press hands on. Text that is not a
// link is never shortened: the scroll range follows the widest such line, wherever it stands.
TEST(ParamListBoxRows, ShortensLongLinksInTheMiddleAndScrollsToWiderText) {
    const QString path = "/a/very/long/path/that/never/fits/in/the/box/of/the/wizard/Installers";
    const QString longLink = "    Move file to <a href=\"rMove\">" + path + "</a> directory";
    const QString longPlain = "    a plain line of text much wider than the box can ever show";
    const struct {
        const char* name;
        int width; // of the box
        QString line;
        bool shortened;
    } cases[] = {
        {"long path, narrow box", 360, longLink, true},
        {"long path, wide box", 1000, longLink, false},
        {"short link", 200, "x <a href=\"FileCount\">20</a>", false},
        {"long plain text", 200, longPlain, false},
    };
    for (const auto& c : cases) {
        for (int at : {0, 2}) {
            SCOPED_TRACE(std::string(c.name) + " on line " + std::to_string(at));
            TParamListBox box;
            box.resize(c.width, 94);
            box.fitWholeRows(94);
            for (int i = 0; i < 3; ++i)
                box.addLine(i == at ? c.line : QStringLiteral("short"));
            box.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
            const ParamLine whole = parseParamLine(c.line);
            const ParamLine shown = box.shownLine(at);
            EXPECT_EQ(shown.before, whole.before);
            EXPECT_EQ(shown.after, whole.after);
            const int shownWidth = box.fontMetrics().horizontalAdvance(shown.plainText());
            const int room = box.viewport()->width() - 2 * TParamListBox::kTextMargin;
            if (c.shortened) {
                EXPECT_TRUE(shown.linkText.startsWith("/a/very")) << shown.linkText.toStdString();
                EXPECT_TRUE(shown.linkText.endsWith("Installers")) << shown.linkText.toStdString();
                EXPECT_TRUE(shown.linkText.contains(QChar(0x2026)));
                EXPECT_LE(shownWidth, room);
                EXPECT_EQ(tipOver(box, at), whole.plainText());
                EXPECT_TRUE(box.viewport()->rect().contains(box.linkRect(at)));
            } else {
                EXPECT_EQ(shown.linkText, whole.linkText);
                EXPECT_EQ(tipOver(box, at), QString()) << "no tip for a line shown whole";
            }
            // The scroll range reaches the end of the line as shown.
            EXPECT_GE(box.horizontalScrollBar()->maximum() + room, shownWidth);
            QSignalSpy clicks(&box, &TParamListBox::paramClick);
            if (whole.hasLink) {
                ASSERT_TRUE(box.pressLink(at));
                ASSERT_EQ(clicks.count(), 1);
                EXPECT_EQ(clicks.at(0).at(2).toString(), whole.linkText);
            }
            EXPECT_LE(box.height(), 94);
            EXPECT_EQ(box.viewport()->height() % TParamListBox::kRowHeight, 0);
        }
    }
}

} // namespace
} // namespace lp
