#pragma once
// The options dialog: whether Larchpost starts with the desktop. OK brings the auto-start file in
// line with the choice at once; the choice itself is stored with the window settings next time.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace lp {

class TfrmAdditional : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAdditional(QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* chkAuto = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel

public slots:
    void FormCreate();
    // Sets AutoStart, writes or removes the auto-start file, and closes; a failure is shown and
    // the dialog closes all the same.
    void BitBtn1Click();
};

} // namespace lp
