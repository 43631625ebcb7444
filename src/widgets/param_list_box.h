#pragma once
// A list of parameter-link lines (see param_markup.h): each line on one 16-pixel row, plain text
// in the list's text colour and the link in the palette's link colour, so that it reads on a
// light or a dark theme. Pressing the mouse on a link raises paramClick. There is no selection
// highlight and no hover effect. A line too long for the list has its link (a path, mostly)
// shortened in the middle and shows whole in a tooltip. From the keyboard, Tab goes from
// link to link (and on out of the list after the last), the arrow keys too, and Enter or Space
// opens the link that has the focus, drawn with a focus frame.

#include "param_markup.h"

#include <QListWidget>
#include <QRect>
#include <QString>

namespace lp {

class TParamListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 16;
    static constexpr int kTextMargin = 2; // blank pixels left of each line's text

    explicit TParamListBox(QWidget* parent = nullptr);

    void clearLines();
    void addLine(const QString& markup);
    int lineCount() const;
    QString line(int index) const; // the line's markup, as added; empty when out of range

    // The line as drawn at the list's present width: its link shortened in the middle when the
    // whole line does not fit. Empty when out of range.
    ParamLine shownLine(int index) const;

    // Where line index's link is drawn, in viewport coordinates; empty when it has no link.
    QRect linkRect(int index) const;

    // The line whose link has the keyboard's focus, -1 when none.
    int focusedLink() const;

    // Makes the box as tall as the most whole rows that fit in maxHeight (at least one), so that
    // no row is ever cut in half; the horizontal scroll bar's room is kept for it.
    void fitWholeRows(int maxHeight);

    // Test helper: what a mouse press on the link of line index does. False when the line has no
    // link (nothing is raised).
    bool pressLink(int index);

signals:
    // Raised after the list is done with the pressed line: the handler may clear and refill it.
    void paramClick(int index, const QString& href, const QString& shownText);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool pressAt(const QPoint& viewportPos);
    // The nearest line with a link from `from` on, stepping by step (1 or -1); -1 when none.
    int linkLineFrom(int from, int step) const;
    void focusLink(int index);
    bool openFocusedLink();

    int focusedLink_ = -1; // kept across a refill of the list, so the focus stays in place
};

} // namespace lp
