#pragma once
// The destination folder dialog of a move or copy action.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lp {

class TfrmPath : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPath(QWidget* parent = nullptr);

public slots:
    void Button1Click(); // Browse...
    void Button2Click(); // OK
    void Button3Click(); // Cancel

private:
    QLabel* Label1 = nullptr;
    QLineEdit* tePath = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
};

} // namespace lp
