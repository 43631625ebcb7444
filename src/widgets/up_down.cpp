#include "up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>

#include <algorithm>

namespace lp {

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    up_->setFocusPolicy(Qt::NoFocus);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    down_->setFocusPolicy(Qt::NoFocus);
    connect(up_, &QToolButton::clicked, this, &TUpDown::stepUp);
    connect(down_, &QToolButton::clicked, this, &TUpDown::stepDown);
    resize(15, 21);
}

void TUpDown::setAssociate(QLineEdit* edit) {
    if (associate_)
        associate_->removeEventFilter(this);
    associate_ = edit;
    if (associate_ == nullptr)
        return;
    associate_->installEventFilter(this);
    const QRect box = associate_->geometry();
    setGeometry(box.right() + 1, box.top(), width(), box.height());
    associate_->setText(QString::number(position_));
}

void TUpDown::setRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    setPosition(position_);
}

void TUpDown::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
    if (associate_)
        associate_->setText(QString::number(position_));
}

// The number typed into the edit box is where the arrows start from, brought into the range.
void TUpDown::takeAssociateText() {
    if (associate_ == nullptr)
        return;
    bool ok = false;
    const int typed = associate_->text().trimmed().toInt(&ok);
    if (ok)
        position_ = std::clamp(typed, minimum_, maximum_);
}

void TUpDown::stepBy(int direction) {
    takeAssociateText();
    // Widened so that a large step cannot overflow.
    const long long next = static_cast<long long>(position_) + direction * increment_;
    if (next > maximum_)
        position_ = wrap_ ? minimum_ : maximum_;
    else if (next < minimum_)
        position_ = wrap_ ? maximum_ : minimum_;
    else
        position_ = static_cast<int>(next);
    if (associate_)
        associate_->setText(QString::number(position_));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == associate_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

} // namespace lp
