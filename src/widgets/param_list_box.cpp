#include "param_list_box.h"

#include "accent_colour.h"
#include "param_markup.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace lp {

namespace {

constexpr int kMarkupRole = Qt::UserRole + 1;
// The least room a shortened link keeps: a few characters besides the ellipsis, enough to be
// read as a path and pressed. A line that needs more scrolls.
constexpr int kLeastLinkCharacters = 6;

// Draws a line's markup and nothing else: no selection or hover decoration; a focus frame round
// the link that has the keyboard's focus.
class ParamLineDelegate : public QStyledItemDelegate {
public:
    explicit ParamLineDelegate(TParamListBox* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const ParamLine parsed = box_->shownLine(index.row());
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
            const int linkLeft = x;
            // Underlined, as links are, so that the words to click read as such in any colour.
            QFont linkFont = option.font;
            linkFont.setUnderline(true);
            painter->setFont(linkFont);
            // Green as designed, or the theme's link colour where green would not read.
            draw(parsed.linkText,
                 group == QPalette::Normal
                     ? ReadableAccent(QColor(0, 128, 0), option.palette, group, QPalette::Base)
                     : plain);
            painter->setFont(option.font);
            // Drawn here rather than by the style, which may leave it out until a key is used.
            if (box_->hasFocus() && box_->focusedLink() == index.row()) {
                painter->setPen(QPen(option.palette.color(group, QPalette::Highlight), 1));
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(QRect(linkLeft - 1, option.rect.top(),
                                        std::max(x - linkLeft, 1) + 1, option.rect.height() - 1));
            }
            draw(parsed.after, plain);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString plain = box_->shownLine(index.row()).plainText();
        return {option.fontMetrics.horizontalAdvance(plain) + 2 * TParamListBox::kTextMargin,
                TParamListBox::kRowHeight};
    }

    // A line whose link is shortened shows whole in a tooltip; the others have none.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem&,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        const QString whole = parseParamLine(index.data(kMarkupRole).toString()).plainText();
        if (box_->shownLine(index.row()).plainText() != whole)
            QToolTip::showText(event->globalPos(), whole, view);
        else
            QToolTip::hideText();
        return true;
    }

private:
    TParamListBox* box_;
};

} // namespace

TParamListBox::TParamListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new ParamLineDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    // Rows differ in width: the horizontal scroll range must follow the widest of them.
    setUniformItemSizes(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    viewport()->setAttribute(Qt::WA_Hover, false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    // The lines are laid out again for a new width, which shortens or lengthens their links.
    setResizeMode(QListView::Adjust);
}

ParamLine TParamListBox::shownLine(int index) const {
    const QListWidgetItem* entry = item(index);
    if (entry == nullptr)
        return {};
    ParamLine parsed = parseParamLine(entry->data(kMarkupRole).toString());
    const QFontMetrics metrics = fontMetrics();
    const int room = viewport()->width() - 2 * kTextMargin;
    if (!parsed.hasLink || metrics.horizontalAdvance(parsed.plainText()) <= room)
        return parsed;
    const int least = metrics.horizontalAdvance(QString(kLeastLinkCharacters, QLatin1Char('x')));
    const int linkRoom = std::max(least, room - metrics.horizontalAdvance(parsed.before) -
                                             metrics.horizontalAdvance(parsed.after));
    parsed.linkText = metrics.elidedText(parsed.linkText, Qt::ElideMiddle, linkRoom);
    return parsed;
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
    const ParamLine parsed = shownLine(index);
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

int TParamListBox::focusedLink() const {
    return linkRect(focusedLink_).isEmpty() ? -1 : focusedLink_;
}

void TParamListBox::fitWholeRows(int maxHeight) {
    // The bar is always there, so the rows' room never changes with the lines' widths.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int chrome = 2 * frameWidth() + horizontalScrollBar()->sizeHint().height();
    const int rows = std::max(1, (maxHeight - chrome) / kRowHeight);
    setFixedHeight(rows * kRowHeight + chrome);
}

int TParamListBox::linkLineFrom(int from, int step) const {
    for (int index = from; index >= 0 && index < count(); index += step)
        if (!linkRect(index).isEmpty())
            return index;
    return -1;
}

void TParamListBox::focusLink(int index) {
    focusedLink_ = index;
    if (QListWidgetItem* entry = item(index))
        scrollToItem(entry);
    // A link at the end of a long line may lie beyond the right edge: it is brought into view.
    const QRect link = linkRect(index);
    QScrollBar* bar = horizontalScrollBar();
    if (!link.isEmpty() && link.right() >= viewport()->width())
        bar->setValue(bar->value() + link.right() - viewport()->width() + 1 + kTextMargin);
    else if (!link.isEmpty() && link.left() < 0)
        bar->setValue(bar->value() + link.left() - kTextMargin);
    viewport()->update();
}

bool TParamListBox::openFocusedLink() {
    const int index = focusedLink();
    if (index < 0)
        return false;
    const ParamLine parsed = parseParamLine(item(index)->data(kMarkupRole).toString());
    emit paramClick(index, parsed.href, parsed.linkText);
    return true;
}

void TParamListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    // Tabbing in from behind lands on the last link, from before on the first; a list refilled
    // since keeps the focused line where it was when it still has a link.
    if (event->reason() == Qt::BacktabFocusReason)
        focusedLink_ = linkLineFrom(count() - 1, -1);
    else if (event->reason() == Qt::TabFocusReason || focusedLink() < 0)
        focusedLink_ = linkLineFrom(0, 1);
    focusLink(focusedLink_);
}

void TParamListBox::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    viewport()->update();
}

bool TParamListBox::focusNextPrevChild(bool next) {
    if (hasFocus()) {
        const int current = focusedLink();
        const int target =
            current < 0 ? -1 : linkLineFrom(current + (next ? 1 : -1), next ? 1 : -1);
        if (target >= 0) {
            focusLink(target);
            return true;
        }
    }
    return QListWidget::focusNextPrevChild(next);
}

void TParamListBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool down = event->key() == Qt::Key_Down;
        const int from =
            focusedLink() < 0 ? (down ? 0 : count() - 1) : focusedLink() + (down ? 1 : -1);
        if (const int target = linkLineFrom(from, down ? 1 : -1); target >= 0)
            focusLink(target);
        event->accept();
        return;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (openFocusedLink()) {
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    // Anything else, Enter without a link included, goes to the dialog (its default button).
    event->ignore();
}

void TParamListBox::mousePressEvent(QMouseEvent* event) {
    // The base class would select and track the pressed line; this list has no selection.
    setFocus(Qt::MouseFocusReason);
    event->accept();
    if (event->button() == Qt::LeftButton) {
        if (const QListWidgetItem* entry = itemAt(event->position().toPoint()))
            focusedLink_ = row(entry);
        pressAt(event->position().toPoint());
    }
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
