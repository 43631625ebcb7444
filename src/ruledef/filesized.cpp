#include "filesized.h"

#include "exchange_values.h"
#include "param_dialog_frame.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace lp {

TfrmFileSize::TfrmFileSize(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileSize"));
    setWindowTitle(QStringLiteral("Enter File Size"));

    rblt = new QRadioButton(QStringLiteral("Less Than"), this);
    rblt->setObjectName(QStringLiteral("rblt"));
    rblt->setGeometry(16, 12, 110, 20);
    rbgt = new QRadioButton(QStringLiteral("Greater Than"), this);
    rbgt->setObjectName(QStringLiteral("rbgt"));
    rbgt->setGeometry(140, 12, 130, 20);
    rbgt->setChecked(true);
    Label1 = new QLabel(QStringLiteral("Size of File (in kilobytes):"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 44, 260, 16);
    teFileSize = placeEdit(*this, "teFileSize", 16, 64, 121);
    Button1 = placeButton(*this, "Button1", QStringLiteral("OK"), 133, 100);
    Button2 = placeButton(*this, "Button2", QStringLiteral("Cancel"), 214, 100);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfrmFileSize::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmFileSize::Button2Click);

    // A size not yet given keeps the design: Greater Than, empty field.
    const ParamExchange& values = exchange();
    if (values.sizeValue != -1) {
        (values.comparison == cmpGreater ? rbgt : rblt)->setChecked(true);
        teFileSize->setText(QString::number(values.sizeValue));
    }

    frameParamDialog(*this, 297, 135);
}

void TfrmFileSize::Button1Click() {
    const std::optional<std::int32_t> size = parseWholeNumber(teFileSize->text());
    if (!size || *size < 0) {
        refuse(*this, QStringLiteral("Invalid file size value."));
        return;
    }
    ParamExchange& values = exchange();
    values.sizeValue = *size;
    values.comparison = rbgt->isChecked() ? cmpGreater : cmpLess;
    accept();
}

void TfrmFileSize::Button2Click() {
    reject();
}

} // namespace lp
