#pragma once
// The file size dialog: less or greater than a number of kilobytes.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace lp {

class TfrmFileSize : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileSize(QWidget* parent = nullptr);

public slots:
    void Button1Click(); // OK
    void Button2Click(); // Cancel

private:
    QRadioButton* rblt = nullptr;
    QRadioButton* rbgt = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* teFileSize = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace lp
