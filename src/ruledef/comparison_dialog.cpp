#include "comparison_dialog.h"

#include "param_dialog_frame.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace lp {

namespace {

constexpr int kClientHeight = 135;

QRadioButton* placeRadio(QWidget& parent, const char* name, const QString& text, int x, int width) {
    auto* radio = new QRadioButton(text, &parent);
    radio->setObjectName(QString::fromLatin1(name));
    radio->setGeometry(x, 12, width, 20);
    return radio;
}

} // namespace

TComparisonDialog::TComparisonDialog(const Design& design, QWidget* parent)
    : QDialog(parent), design_(design) {
    setObjectName(QString::fromLatin1(design.objectName));
    setWindowTitle(QString::fromLatin1(design.caption));

    rblt = placeRadio(*this, "rblt", QStringLiteral("Less Than"), 16, 110);
    rbgt = placeRadio(*this, "rbgt", QStringLiteral("Greater Than"), 140, 130);
    rbgt->setChecked(true);
    Label1 = new QLabel(QString::fromLatin1(design.valueCaption), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 44, 260, 16);
    field_ = placeEdit(*this, design.fieldName, 16, 64, design.fieldWidth);
    fitToLargestNumber(*field_);
    // OK and Cancel keep their distance from the right edge.
    Button1 = placeButton(*this, "Button1", QStringLiteral("OK"), design.clientWidth - 164, 100);
    Button2 = placeButton(*this, "Button2", QStringLiteral("Cancel"), design.clientWidth - 83, 100);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TComparisonDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TComparisonDialog::Button2Click);
}

void TComparisonDialog::showStoredValue() {
    const ParamExchange& values = exchange();
    const std::int32_t stored = values.*design_.value;
    if (stored != -1) {
        (values.comparison == cmpGreater ? rbgt : rblt)->setChecked(true);
        field_->setText(QString::number(stored));
    }
    frameParamDialog(*this, design_.clientWidth, kClientHeight);
    // The number is what is typed, not the comparison, which keeps its design.
    startTypingIn(*field_);
}

void TComparisonDialog::Button1Click() {
    const std::optional<std::int32_t> number = parseWholeNumber(field_->text());
    if (!number || *number < 0) {
        refuse(*this, QString::fromLatin1(design_.refusal));
        return;
    }
    if (*number > design_.maximum && design_.beyondMaximum != nullptr) {
        refuse(*this, QString::fromLatin1(design_.beyondMaximum));
        return;
    }
    ParamExchange& values = exchange();
    values.*design_.value = *number;
    values.comparison = rbgt->isChecked() ? cmpGreater : cmpLess;
    accept();
}

void TComparisonDialog::Button2Click() {
    reject();
}

} // namespace lp
