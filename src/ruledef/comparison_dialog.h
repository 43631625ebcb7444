#pragma once
// What the file size and file date dialogs share: "Less Than" / "Greater Than", a labelled whole
// number, OK and Cancel. Each dialog names its texts, its field and the exchange value it edits.

#include "exchange_values.h"

#include <QDialog>

#include <cstdint>
#include <limits>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lp {

class TComparisonDialog : public QDialog {
    Q_OBJECT
public:
    struct Design {
        const char* objectName;
        const char* caption;
        const char* valueCaption; // the label above the field
        const char* fieldName;
        int fieldWidth;
        const char* refusal; // shown when OK meets no whole number of 0 or more
        int clientWidth;
        std::int32_t ParamExchange::*value; // -1 while not yet given
        // The largest value that makes sense, and the refusal of one beyond it.
        std::int32_t maximum = std::numeric_limits<std::int32_t>::max();
        const char* beyondMaximum = nullptr;
    };

public slots:
    void Button1Click(); // OK
    void Button2Click(); // Cancel

protected:
    TComparisonDialog(const Design& design, QWidget* parent);

    // The last step of a dialog's constructor, once its own controls are in place: a value
    // already given replaces the design's comparison and field text, then the dialog takes its
    // size and its place.
    void showStoredValue();

    QLineEdit* field() const { return field_; }

private:
    Design design_;
    QRadioButton* rblt = nullptr;
    QRadioButton* rbgt = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* field_ = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace lp
