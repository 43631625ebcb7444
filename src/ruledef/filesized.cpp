#include "filesized.h"

namespace lp {

namespace {

const TComparisonDialog::Design kDesign = {
    .objectName = "frmFileSize",
    .caption = "Enter File Size",
    .valueCaption = "Size of File (in kilobytes):",
    .fieldName = "teFileSize",
    .fieldWidth = 121,
    .refusal = "Invalid file size value.",
    .clientWidth = 297,
    .value = &ParamExchange::sizeValue,
};

} // namespace

// A size not yet given keeps the design: Greater Than, empty field.
TfrmFileSize::TfrmFileSize(QWidget* parent) : TComparisonDialog(kDesign, parent) {
    showStoredValue();
}

} // namespace lp
