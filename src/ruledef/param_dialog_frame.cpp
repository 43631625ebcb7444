#include "param_dialog_frame.h"

#include "widgets/keyboard_access.h"
#include "widgets/path_field.h"
#include "widgets/placement.h"
#include "widgets/wrap_labels.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>

namespace lp {

void frameParamDialog(QDialog& dialog, int clientWidth, int clientHeight) {
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    dialog.setFixedSize(clientWidth, wrapLongLabels(dialog, clientHeight));
    placeDialogAtCursor(dialog);
    giveButtonMnemonics(dialog);
}

namespace {

// What an edit keeps free beside its text: two pixels each side, and one for the cursor.
constexpr int kEditTextPadding = 2 * 2 + 1;

} // namespace

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

namespace {

QLineEdit* placed(QLineEdit* edit, const char* name, int x, int y, int width) {
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, width, 21);
    return edit;
}

} // namespace

QLineEdit* placeEdit(QWidget& parent, const char* name, int x, int y, int width) {
    return placed(new QLineEdit(&parent), name, x, y, width);
}

QLineEdit* placePathEdit(QWidget& parent, const char* name, int x, int y, int width) {
    return placed(new PathField(&parent), name, x, y, width);
}

void fitToLargestNumber(QLineEdit& field) {
    const QString largest = QString::number(kLargestTypedNumber);
    // The text's width, the cursor after it, the edit's own text margins and its frame.
    const QMargins margins = field.textMargins();
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth = field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field);
    const QSize text(field.fontMetrics().horizontalAdvance(largest) + kEditTextPadding +
                         margins.left() + margins.right(),
                     field.height());
    const int needed =
        field.style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, &field).width();
    if (needed > field.width())
        field.resize(needed, field.height());
}

} // namespace lp
