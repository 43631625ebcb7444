#pragma once
// The destination folder dialog of a move or copy action: a folder, or a folder with placeholders
// below it that name folders made from each file ("/home/me/Pictures/{taken.year}"), with the
// placeholders to insert and an example of where a file would go.

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
