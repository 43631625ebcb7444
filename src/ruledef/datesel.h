#pragma once
// The file date dialog: less or greater than a number of days old.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lp {

class TUpDown;

class TfrmDateSel : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDateSel(QWidget* parent = nullptr);

public slots:
    void Button1Click(); // OK
    void Button2Click(); // Cancel

private:
    QRadioButton* rblt = nullptr;
    QRadioButton* rbgt = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* teDays = nullptr;
    TUpDown* UpDown1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace lp
