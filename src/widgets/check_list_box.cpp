#include "check_list_box.h"

#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>

namespace lp {

namespace {
// The tick each line had when last seen, so that a user's toggle is told apart from other changes.
constexpr int kLastTickRole = Qt::UserRole + 41;

// Lines no wider than the list: the view then draws a longer one shortened, by its elide mode.
class WithinWidthDelegate : public QStyledItemDelegate {
public:
    explicit WithinWidthDelegate(QListWidget* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize hint = QStyledItemDelegate::sizeHint(option, index);
        hint.setWidth(std::min(hint.width(), list_->viewport()->width()));
        return hint;
    }

private:
    QListWidget* list_;
};
} // namespace

// Marks a stretch of programmatic changes, during which item changes are not the user's.
class TCheckListBox::Quiet {
public:
    explicit Quiet(TCheckListBox& box) : box_(box) { ++box_.quiet_; }
    ~Quiet() { --box_.quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    TCheckListBox& box_;
};

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A line too long for the list is shortened in the middle, so that a path keeps its last
    // name in sight; its tooltip shows it whole. The lines are as wide as the list, never wider.
    setTextElideMode(Qt::ElideMiddle);
    setItemDelegate(new WithinWidthDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
    connect(this, &QListWidget::itemChanged, this, &TCheckListBox::onItemChanged);
}

int TCheckListBox::addLine(const QString& text) {
    Quiet quiet(*this);
    auto* item = new QListWidgetItem(text);
    item->setToolTip(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setData(kLastTickRole, false);
    addItem(item);
    return count() - 1;
}

void TCheckListBox::setLineTip(int index, const QString& tip) {
    if (QListWidgetItem* it = item(index)) {
        Quiet quiet(*this);
        it->setToolTip(tip);
    }
}

// Neither raises a selection change: removing lines is no click in the list.
void TCheckListBox::deleteLine(int index) {
    Quiet quiet(*this);
    const QSignalBlocker silent(this);
    delete takeItem(index);
}

void TCheckListBox::clearLines() {
    Quiet quiet(*this);
    const QSignalBlocker silent(this);
    clear();
}

int TCheckListBox::selectedLine() const {
    const QListWidgetItem* current = currentItem();
    return current != nullptr && current->isSelected() ? currentRow() : -1;
}

bool TCheckListBox::checked(int index) const {
    const QListWidgetItem* it = item(index);
    return it != nullptr && it->checkState() == Qt::Checked;
}

void TCheckListBox::setChecked(int index, bool on) {
    QListWidgetItem* it = item(index);
    if (it == nullptr)
        return;
    Quiet quiet(*this);
    it->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    it->setData(kLastTickRole, on);
}

bool TCheckListBox::lineEnabled(int index) const {
    const QListWidgetItem* it = item(index);
    return it != nullptr && (it->flags() & Qt::ItemIsEnabled);
}

void TCheckListBox::setLineEnabled(int index, bool on) {
    QListWidgetItem* it = item(index);
    if (it == nullptr)
        return;
    Quiet quiet(*this);
    Qt::ItemFlags flags = it->flags();
    flags.setFlag(Qt::ItemIsEnabled, on);
    flags.setFlag(Qt::ItemIsUserCheckable, on);
    it->setFlags(flags);
}

void TCheckListBox::toggleByUser(int index) {
    QListWidgetItem* it = item(index);
    if (it == nullptr || !lineEnabled(index))
        return;
    // Goes through the same path as Qt's own toggle, so the change handler raises the event.
    it->setCheckState(it->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TCheckListBox::onItemChanged(QListWidgetItem* it) {
    if (quiet_ > 0 || it == nullptr)
        return;
    const bool now = it->checkState() == Qt::Checked;
    if (now == it->data(kLastTickRole).toBool())
        return; // text or flags changed, not the tick
    {
        Quiet quiet(*this);
        it->setData(kLastTickRole, now);
    }
    setCurrentItem(it);
    emit clickCheck();
}

} // namespace lp
