#include "param_list_box.h"

#include "param_markup.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace lp {

namespace {

constexpr int kMarkupRole = Qt::UserRole + 1;
const QColor kLinkColour(0, 128, 0);

// Draws a line's markup and nothing else: no selection, focus or hover decoration.
class ParamLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const ParamLine parsed = parseParamLine(index.data(kMarkupRole).toString());
        const QPalette::ColorGroup group =
            (option.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        const QFontMetrics& metrics = option.fontMetrics;

        painter->save();
        painter->setClipRect(option.rect);
        painter->setFont(option.font);
        int x = option.rect.left() + TParamListBox::kTextMargin;
        const int baseline =
            option.rect.top() + (option.rect.height() - metrics.height()) / 2 + metrics.ascent();
        auto draw = [&](const QString& text, const QColor& colour) {
            painter->setPen(colour);
            painter->drawText(x, baseline, text);
            x += metrics.horizontalAdvance(text);
        };
        const QColor plain = option.palette.color(group, QPalette::Text);
        draw(parsed.before, plain);
        if (parsed.hasLink) {
            draw(parsed.linkText, group == QPalette::Normal ? kLinkColour : plain);
            draw(parsed.after, plain);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString plain = parseParamLine(index.data(kMarkupRole).toString()).plainText();
        return {option.fontMetrics.horizontalAdvance(plain) + 2 * TParamListBox::kTextMargin,
                TParamListBox::kRowHeight};
    }
};

} // namespace

TParamListBox::TParamListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new ParamLineDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setUniformItemSizes(true);
    setMouseTracking(false);
    viewport()->setAttribute(Qt::WA_Hover, false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
}

void TParamListBox::clearLines() {
    clear();
}

void TParamListBox::addLine(const QString& markup) {
    auto* entry = new QListWidgetItem(parseParamLine(markup).plainText());
    entry->setData(kMarkupRole, markup);
    entry->setFlags(Qt::ItemIsEnabled);
    addItem(entry);
}

int TParamListBox::lineCount() const {
    return count();
}

QString TParamListBox::line(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry ? entry->data(kMarkupRole).toString() : QString();
}

QRect TParamListBox::linkRect(int index) const {
    const QListWidgetItem* entry = item(index);
    if (entry == nullptr)
        return {};
    const ParamLine parsed = parseParamLine(entry->data(kMarkupRole).toString());
    if (!parsed.hasLink)
        return {};
    const QRect row = visualItemRect(entry);
    const QFontMetrics metrics = fontMetrics();
    const int left = row.left() + kTextMargin + metrics.horizontalAdvance(parsed.before);
    // A link always gets at least one pixel, so that it can be pressed.
    const int width = std::max(1, metrics.horizontalAdvance(parsed.linkText));
    return {left, row.top(), width, row.height()};
}

bool TParamListBox::pressLink(int index) {
    QListWidgetItem* entry = item(index);
    if (entry == nullptr)
        return false;
    scrollToItem(entry);
    const QRect rect = linkRect(index);
    if (rect.isEmpty())
        return false;
    return pressAt(rect.center());
}

bool TParamListBox::pressAt(const QPoint& viewportPos) {
    const QListWidgetItem* entry = itemAt(viewportPos);
    if (entry == nullptr)
        return false;
    const int index = row(entry);
    if (!linkRect(index).contains(viewportPos))
        return false;
    // Copies: the handler may clear the list, which destroys the item and its texts.
    const ParamLine parsed = parseParamLine(entry->data(kMarkupRole).toString());
    emit paramClick(index, parsed.href, parsed.linkText);
    return true;
}

void TParamListBox::mousePressEvent(QMouseEvent* event) {
    // The base class would select and track the pressed line; this list has no selection.
    setFocus(Qt::MouseFocusReason);
    event->accept();
    if (event->button() == Qt::LeftButton)
        pressAt(event->position().toPoint());
}

void TParamListBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void TParamListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void TParamListBox::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

} // namespace lp
