#pragma once
// Checks that a form laid out in fixed pixels shows itself whole in the font at hand: every label
// and button shows all of its text, every control lies inside the client area, and no two
// controls cover each other.

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace lp::testing {

inline void expectFormShowsWhole(QWidget& form) {
    const QList<QWidget*> children = form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        SCOPED_TRACE(child->objectName().toStdString());
        if (child->isHidden())
            continue;
        EXPECT_TRUE(form.rect().contains(child->geometry())) << "outside the client area";
        if (auto* label = qobject_cast<QLabel*>(child)) {
            if (label->wordWrap())
                EXPECT_LE(label->heightForWidth(label->width()), label->height());
            else
                EXPECT_LE(label->sizeHint().width(), label->width());
        } else if (auto* push = qobject_cast<QPushButton*>(child)) {
            // A push button's size hint has a floor wider than the designed buttons; only the
            // caption itself must fit between the button's edges.
            // The mnemonic's ampersand is not shown.
            const QString shown = QString(push->text()).remove(QLatin1Char('&'));
            EXPECT_LE(push->fontMetrics().horizontalAdvance(shown) + 8, push->width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            EXPECT_LE(button->sizeHint().width(), button->width());
        }
        for (QWidget* other : children) {
            if (other != child && !other->isHidden() && child < other) {
                EXPECT_FALSE(child->geometry().intersects(other->geometry()))
                    << "covers " << other->objectName().toStdString();
            }
        }
    }
}

} // namespace lp::testing
