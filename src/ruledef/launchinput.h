#pragma once
// The program dialog of a launch action: the program or script and its parameters.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lp {

// Where Browse opens for the program typed: beside it when it names a file, or a folder that
// exists, or a bare name found on the path; at the home folder otherwise (nothing typed, a bare
// name found nowhere, a folder that is not there).
QString programBrowseStart(const QString& typed);

class TfrmLaunch : public QDialog {
    Q_OBJECT
public:
    explicit TfrmLaunch(QWidget* parent = nullptr);

public slots:
    void Button1Click(); // Browse...
    void Button2Click(); // OK
    void Button3Click(); // Cancel

private:
    void showCaptionWhole();

    QLabel* Label1 = nullptr;
    QLineEdit* teProgram = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* teParam = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
};

} // namespace lp
