#include "datesel.h"

#include "widgets/up_down.h"

namespace lp {

namespace {

const TComparisonDialog::Design kDesign = {
    .objectName = "frmDateSel",
    .caption = "File Date Definition",
    .valueCaption = "Number of Days Old:",
    .fieldName = "teDays",
    .fieldWidth = 25,
    .refusal = "Invalid number of days.",
    .clientWidth = 296,
    .value = &ParamExchange::daysValue,
    .maximum = 36525, // a hundred years
    .beyondMaximum = "Number of days cannot be more than 36525 (100 years).",
};

} // namespace

// A days value not yet given keeps the design: Greater Than, 10. A given one is shown as it is,
// above the arrows' range included.
TfrmDateSel::TfrmDateSel(QWidget* parent) : TComparisonDialog(kDesign, parent) {
    UpDown1 = new TUpDown(this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setRange(0, 100);
    UpDown1->setIncrement(1);
    UpDown1->setWrap(false);
    UpDown1->setPosition(10);
    UpDown1->setAssociate(field());
    showStoredValue();
}

} // namespace lp
