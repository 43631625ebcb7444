#pragma once
// The file date dialog: less or greater than a number of days old.

#include "comparison_dialog.h"

namespace lp {

class TUpDown;

class TfrmDateSel : public TComparisonDialog {
    Q_OBJECT
public:
    explicit TfrmDateSel(QWidget* parent = nullptr);

private:
    TUpDown* UpDown1 = nullptr;
};

} // namespace lp
