#include "path_field.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace lp {

namespace {
// A line edit keeps two blank pixels each side of its text.
constexpr int kTextPadding = 2;
} // namespace

PathField::PathField(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, &PathField::updateTip);
}

QRect PathField::textRoom() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.marginsRemoved(textMargins()).adjusted(kTextPadding, 0, -kTextPadding, 0);
}

QString PathField::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, textRoom().width());
}

void PathField::updateTip() {
    // Only a path that is cut short needs one; the tooltip then always shows the current path.
    setToolTip(shownText() == text() ? QString() : text());
}

void PathField::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    updateTip(); // a wider field may show the whole path, a narrower one no longer
}

void PathField::paintEvent(QPaintEvent* event) {
    const QString shown = shownText();
    if (hasFocus() || shown == text() || echoMode() != QLineEdit::Normal) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Normal : QPalette::Disabled;
    painter.setPen(palette().color(group, QPalette::Text));
    painter.drawText(textRoom(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}

} // namespace lp
