#include "exit_wait.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lp {

ExitWait::ExitWait(QWidget* parent, std::function<void()> onStop) : QDialog(parent) {
    setObjectName(QStringLiteral("ExitWait"));
    setWindowTitle(QStringLiteral("Larchpost"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("Larchpost ends when this operation is done:"), this);
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setTextFormat(Qt::PlainText);
    progress_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(this);
    stop_ = buttons->addButton(QStringLiteral("&Stop"), QDialogButtonBox::DestructiveRole);
    stop_->setToolTip(
        QStringLiteral("Stops it now: the file stays where it was and is tried again at the next "
                       "start."));
    layout->addWidget(heading);
    layout->addWidget(progress_);
    layout->addWidget(buttons);
    connect(stop_, &QPushButton::clicked, this, [this, onStop = std::move(onStop)] {
        stop_->setEnabled(false);
        progress_->setText(QStringLiteral("Stopping..."));
        onStop();
    });
    setMinimumWidth(360);
}

void ExitWait::showProgress(const QString& text) {
    if (stop_->isEnabled() && !text.isEmpty())
        progress_->setText(text);
}

} // namespace lp
