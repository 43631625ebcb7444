#include "datesel.h"

#include "exchange_values.h"
#include "param_dialog_frame.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"
#include "widgets/up_down.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace lp {

TfrmDateSel::TfrmDateSel(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDateSel"));
    setWindowTitle(QStringLiteral("File Date Definition"));

    rblt = new QRadioButton(QStringLiteral("Less Than"), this);
    rblt->setObjectName(QStringLiteral("rblt"));
    rblt->setGeometry(16, 12, 110, 20);
    rbgt = new QRadioButton(QStringLiteral("Greater Than"), this);
    rbgt->setObjectName(QStringLiteral("rbgt"));
    rbgt->setGeometry(140, 12, 130, 20);
    rbgt->setChecked(true);
    Label1 = new QLabel(QStringLiteral("Number of Days Old:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 44, 260, 16);
    teDays = placeEdit(*this, "teDays", 16, 64, 25);
    UpDown1 = new TUpDown(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, 100);
    UpDown1->setIncrement(1);
    UpDown1->setWrap(false);
    UpDown1->setPosition(10);
    UpDown1->setAssociate(teDays);
    Button1 = placeButton(*this, "Button1", QStringLiteral("OK"), 132, 100);
    Button2 = placeButton(*this, "Button2", QStringLiteral("Cancel"), 213, 100);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfrmDateSel::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmDateSel::Button2Click);

    // A days value not yet given keeps the design: Greater Than, 10. A given one is shown as it
    // is, above the arrows' range included.
    const ParamExchange& values = exchange();
    if (values.daysValue != -1) {
        (values.comparison == cmpGreater ? rbgt : rblt)->setChecked(true);
        teDays->setText(QString::number(values.daysValue));
    }

    frameParamDialog(*this, 296, 135);
}

void TfrmDateSel::Button1Click() {
    const std::optional<std::int32_t> days = parseWholeNumber(teDays->text());
    if (!days || *days < 0) {
        refuse(*this, QStringLiteral("Invalid number of days."));
        return;
    }
    ParamExchange& values = exchange();
    values.daysValue = *days;
    values.comparison = rbgt->isChecked() ? cmpGreater : cmpLess;
    accept();
}

void TfrmDateSel::Button2Click() {
    reject();
}

} // namespace lp
