#pragma once
// Checks that a window can be used from the keyboard: Tab walks every control that takes the
// focus exactly once and comes back round, and every push button has an Alt letter of its own.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace lp::testing {

inline std::string nameOf(const QWidget* w) {
    return w == nullptr ? std::string("(nothing)") : w->objectName().toStdString();
}

// A group of radio buttons is one stop of the Tab order (the arrow keys move within it): each
// of its buttons stands for the first of them.
inline QWidget* stopOf(QWidget* w) {
    const auto* radio = qobject_cast<QRadioButton*>(w);
    if (radio == nullptr || !radio->autoExclusive())
        return w;
    for (QRadioButton* first :
         radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
        if (first->autoExclusive())
            return first;
    return w;
}

// The controls of window that Tab should reach: shown, enabled, taking Tab focus themselves.
inline std::vector<QWidget*> tabStops(QWidget& window) {
    std::vector<QWidget*> stops;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->window() != &window || !w->isVisible() || !w->isEnabled() ||
            w->focusProxy() != nullptr || (w->focusPolicy() & Qt::TabFocus) != Qt::TabFocus)
            continue;
        if (std::find(stops.begin(), stops.end(), stopOf(w)) == stops.end())
            stops.push_back(stopOf(w));
    }
    return stops;
}

// Shows window, focuses first (the first stop when null), and presses Tab until the focus comes
// back to it or leaves the known stops; every stop must have been visited once, in any order.
inline void expectTabCyclesThroughEveryControl(QWidget& window, QWidget* first = nullptr) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const std::vector<QWidget*> stops = tabStops(window);
    ASSERT_FALSE(stops.empty());
    // The window's own first focus (a dialog's field), else the first stop.
    QWidget* start = first;
    if (start == nullptr &&
        std::find(stops.begin(), stops.end(), stopOf(window.focusWidget())) != stops.end())
        start = stopOf(window.focusWidget());
    if (start == nullptr)
        start = stops.front();
    start->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(stopOf(QApplication::focusWidget()), start);

    std::vector<QWidget*> visited{start};
    for (std::size_t step = 0; step <= stops.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* now = stopOf(QApplication::focusWidget());
        if (now == start)
            break;
        if (std::find(visited.begin(), visited.end(), now) != visited.end()) {
            ADD_FAILURE() << "Tab came back to " << nameOf(now) << " before " << nameOf(start);
            return;
        }
        visited.push_back(now);
    }
    EXPECT_EQ(stopOf(QApplication::focusWidget()), start) << "Tab does not come back round";
    for (QWidget* stop : stops)
        EXPECT_NE(std::find(visited.begin(), visited.end(), stop), visited.end())
            << "Tab never reaches " << nameOf(stop);
    for (QWidget* w : visited)
        EXPECT_NE(std::find(stops.begin(), stops.end(), w), stops.end())
            << "Tab stops at " << nameOf(w) << ", which should not take the focus";
}

// Every push button's caption carries an Alt letter, none shared within the window.
inline void expectButtonMnemonics(QWidget& window) {
    QSet<QChar> seen;
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            if (const qsizetype amp = menu->text().indexOf(QLatin1Char('&')); amp >= 0)
                seen.insert(menu->text()[amp + 1].toLower());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        const QString text = button->text();
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        if (amp < 0 || amp + 1 >= text.size()) {
            if (qobject_cast<const QPushButton*>(button) != nullptr)
                ADD_FAILURE() << "no Alt letter on " << text.toStdString();
            continue;
        }
        const QChar letter = text[amp + 1].toLower();
        EXPECT_FALSE(seen.contains(letter))
            << "Alt+" << QString(letter).toStdString() << " twice, again on " << text.toStdString();
        seen.insert(letter);
    }
}

} // namespace lp::testing
