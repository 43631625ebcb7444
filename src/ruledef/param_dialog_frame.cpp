#include "param_dialog_frame.h"

#include "widgets/placement.h"
#include "widgets/wrap_labels.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

namespace lp {

void frameParamDialog(QDialog& dialog, int clientWidth, int clientHeight) {
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    dialog.setFixedSize(clientWidth, wrapLongLabels(dialog, clientHeight));
    placeDialogAtCursor(dialog);
}

void startTypingIn(QLineEdit& field) {
    field.setFocus(Qt::OtherFocusReason);
    field.selectAll();
}

QPushButton* placeButton(QWidget& parent, const char* name, const QString& text, int x, int y) {
    auto* button = new QPushButton(text, &parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 75, 25);
    return button;
}

QLineEdit* placeEdit(QWidget& parent, const char* name, int x, int y, int width) {
    auto* edit = new QLineEdit(&parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, width, 21);
    return edit;
}

} // namespace lp
