#pragma once
// The new name dialog of a rename action: a name made from the file ("{year}-{month}-{day}
// {name}.{ext}"), with the placeholders to insert and an example of what a photo would be called.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lp {

// Opens with the exchange values' current text; on OK puts the name typed there, once it parses
// as one file name.
class TfrmNewName : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNewName(QWidget* parent = nullptr);

public slots:
    void Button2Click(); // OK
    void Button3Click(); // Cancel

private:
    QLabel* Label1 = nullptr;
    QLineEdit* teName = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
};

} // namespace lp
