#include "fext.h"

#include "engine/content_categories.h"
#include "exchange_values.h"
#include "param_dialog_frame.h"
#include "rule_description.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lp {

bool TfrmInput::isNumberCaption(const QString& caption) {
    return caption == QLatin1String("Enter File Count") ||
           caption == QLatin1String("Enter File Size");
}

TfrmInput::TfrmInput(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmInput"));
    const ParamExchange& values = exchange();
    const QString caption = QString::fromStdString(values.caption);
    setWindowTitle(caption);
    numberMode_ = isNumberCaption(caption);

    Label1 = new QLabel(QString::fromStdString(values.prompt), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 274, 16);
    teInput = placeEdit(*this, "teInput", 8, 28, numberMode_ ? 40 : 265);
    if (numberMode_)
        fitToLargestNumber(*teInput);
    if (values.currentText != kNotGivenText)
        teInput->setText(QString::fromStdString(values.currentText));
    extensions_ = caption == QLatin1String("Enter File Extension");
    types_ = caption == QLatin1String("Enter File Types");
    int height = 92;
    if (types_) {
        // The words a type may be, beside patterns of the types files announce themselves as.
        lblTypes =
            new QLabel(QStringLiteral("Images, Audio, Video, Documents, Archives, Text"), this);
        lblTypes->setObjectName(QStringLiteral("lblTypes"));
        lblTypes->setGeometry(8, 52, 274, 16);
        height = 112;
    }
    if (extensions_) {
        // What will be stored, shown as it is typed: "*.pdf" becomes "pdf".
        lblStored = new QLabel(this);
        lblStored->setObjectName(QStringLiteral("lblStored"));
        lblStored->setGeometry(8, 52, 274, 16);
        const auto showStored = [this] {
            const StoredExtensions typed = storedExtensions(teInput->text());
            lblStored->setText(typed.refusal.isEmpty()
                                   ? QStringLiteral("Stored as: %1").arg(typed.stored)
                                   : QStringLiteral("Can never match: see OK"));
        };
        connect(teInput, &QLineEdit::textChanged, this, showStored);
        showStored();
        cbAnyCase = new QCheckBox(QStringLiteral("Letter case ignored (PDF is pdf)"), this);
        cbAnyCase->setObjectName(QStringLiteral("cbAnyCase"));
        cbAnyCase->setGeometry(8, 72, 274, 20);
        cbAnyCase->setChecked(values.anyCase);
        height = 132;
    }
    const int buttonTop = height - 32;
    Button2 = placeButton(*this, "Button2", QStringLiteral("OK"), 126, buttonTop);
    Button3 = placeButton(*this, "Button3", QStringLiteral("Cancel"), 207, buttonTop);
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, &TfrmInput::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmInput::Button3Click);

    frameParamDialog(*this, 290, height);
    startTypingIn(*teInput);
}

void TfrmInput::Button2Click() {
    ParamExchange& values = exchange();
    const QString typed = teInput->text();
    if (!numberMode_) {
        if (holdsLineBreak(typed)) {
            refuse(*this, QString::fromLatin1(kLineBreakRefusal));
            return;
        }
        if (extensions_) {
            const StoredExtensions stored = storedExtensions(typed);
            if (!stored.refusal.isEmpty()) {
                refuse(*this, stored.refusal);
                return;
            }
            values.currentText = stored.stored.toStdString();
            values.anyCase = cbAnyCase->isChecked();
        } else if (types_ && !UnknownTypePiece(typed.toStdString()).empty()) {
            refuse(*this, QStringLiteral("\"%1\" is no type: use Images, Audio, Video, "
                                         "Documents, Archives, Text, or a MIME pattern such as "
                                         "image/*.")
                              .arg(QString::fromStdString(
                                  std::string(UnknownTypePiece(typed.toStdString())))));
            return;
        } else {
            values.currentText = typed.toStdString();
        }
        accept();
        return;
    }
    values.currentText = typed.toStdString();
    const std::optional<std::int32_t> number = parseWholeNumber(typed);
    if (!number || *number < 0) {
        refuse(*this, QStringLiteral("Invalid value for file count"));
        return;
    }
    values.number = *number;
    accept();
}

void TfrmInput::Button3Click() {
    exchange().currentText.clear();
    reject();
}

} // namespace lp
