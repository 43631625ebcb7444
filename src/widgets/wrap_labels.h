#pragma once
// Forms laid out in fixed pixels were drawn for a narrower font than most desktops use: a label
// sized for its text there can be too short for it here. Rather than cut the text off, such a label
// wraps onto further lines and the controls below it move down, so every width stays as designed.

class QWidget;

namespace lp {

// Wraps each label among form's own children whose text does not fit its width, moves the
// children below it down by the height it gains, and returns the client height the form needs:
// designHeight when every text fits.
int wrapLongLabels(QWidget& form, int designHeight);

} // namespace lp
