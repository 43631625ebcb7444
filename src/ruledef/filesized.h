#pragma once
// The file size dialog: less or greater than a number of kilobytes.

#include "comparison_dialog.h"

namespace lp {

class TfrmFileSize : public TComparisonDialog {
    Q_OBJECT
public:
    explicit TfrmFileSize(QWidget* parent = nullptr);
};

} // namespace lp
