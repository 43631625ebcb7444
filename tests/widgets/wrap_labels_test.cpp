#include "widgets/wrap_labels.h"

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace lp {
namespace {

// A text certainly wider than a label of width pixels, made of words so that it can wrap.
QString longerThan(const QLabel& label, int width) {
    QString text = QStringLiteral("Enter");
    while (label.fontMetrics().horizontalAdvance(text) <= width * 3 / 2)
        text += QStringLiteral(" files");
    return text;
}

// One row of a form: a label (long or short) or an edit box, at y, 16 or 21 pixels high.
struct Row {
    bool isLabel;
    bool longText;
    int y;
};

TEST(WrapLongLabels, OnlyLongLabelsWrapAndWhatIsBelowMovesDown) {
    const struct {
        const char* what;
        std::vector<Row> rows;
    } cases[] = {
        {"every text fits", {{true, false, 8}, {false, false, 28}, {true, false, 56}}},
        {"long label on top", {{true, true, 8}, {false, false, 28}, {true, false, 56}}},
        {"long label lower down",
         {{true, false, 8}, {false, false, 28}, {true, true, 56}, {false, false, 76}}},
        {"two long labels",
         {{true, true, 8}, {false, false, 28}, {true, true, 56}, {false, false, 76}}},
    };
    constexpr int kWidth = 200;
    constexpr int kDesignHeight = 110;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget form;
        form.resize(kWidth + 16, kDesignHeight);
        std::vector<QWidget*> widgets;
        for (const Row& row : c.rows) {
            QWidget* w = nullptr;
            if (row.isLabel) {
                auto* label = new QLabel(&form);
                label->setGeometry(8, row.y, kWidth, 16);
                label->setText(row.longText ? longerThan(*label, kWidth) : QStringLiteral("Name:"));
                w = label;
            } else {
                w = new QLineEdit(&form);
                w->setGeometry(8, row.y, kWidth, 21);
            }
            widgets.push_back(w);
        }

        // What each row must gain and how far it must move, worked out from the rows above it.
        int expectedHeight = kDesignHeight;
        std::vector<int> expectedY, expectedGain;
        int shift = 0;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            expectedY.push_back(c.rows[i].y + shift);
            int gain = 0;
            if (c.rows[i].isLabel && c.rows[i].longText) {
                auto* label = static_cast<QLabel*>(widgets[i]);
                QLabel probe(label->text());
                probe.setWordWrap(true);
                gain = probe.heightForWidth(kWidth) - 16;
                ASSERT_GT(gain, 0);
            }
            expectedGain.push_back(gain);
            shift += gain;
            expectedHeight += gain;
        }

        EXPECT_EQ(wrapLongLabels(form, kDesignHeight), expectedHeight);
        for (std::size_t i = 0; i < widgets.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(widgets[i]->x(), 8);
            EXPECT_EQ(widgets[i]->y(), expectedY[i]);
            EXPECT_EQ(widgets[i]->width(), kWidth);
            EXPECT_EQ(widgets[i]->height(), (c.rows[i].isLabel ? 16 : 21) + expectedGain[i]);
            if (auto* label = qobject_cast<QLabel*>(widgets[i])) {
                EXPECT_EQ(label->wordWrap(), c.rows[i].longText);
            }
        }
    }
}

TEST(WrapLongLabels, ControlsBesideALongLabelStayWhereTheyAre) {
    QWidget form;
    form.resize(300, 80);
    auto* label = new QLabel(&form);
    label->setGeometry(8, 20, 150, 16);
    label->setText(longerThan(*label, 150));
    auto* beside = new QLineEdit(&form);
    beside->setGeometry(170, 18, 100, 21);
    auto* above = new QLineEdit(&form);
    above->setGeometry(8, 0, 100, 18);
    auto* below = new QLineEdit(&form);
    below->setGeometry(8, 40, 100, 21);

    const int height = wrapLongLabels(form, 80);
    const int gain = label->height() - 16;
    EXPECT_GT(gain, 0);
    EXPECT_EQ(height, 80 + gain);
    EXPECT_EQ(beside->pos(), QPoint(170, 18));
    EXPECT_EQ(above->pos(), QPoint(8, 0));
    EXPECT_EQ(below->pos(), QPoint(8, 40 + gain));
    // A second call finds nothing left to do.
    EXPECT_EQ(wrapLongLabels(form, 80), 80);
    EXPECT_EQ(below->pos(), QPoint(8, 40 + gain));
}

} // namespace
} // namespace lp
