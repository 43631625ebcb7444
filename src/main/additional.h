#pragma once
// The options dialog: whether Larchpost starts with the desktop, whether deleted files go to the
// trash, what happens when a file of the same name is already where a file is moved or copied, and
// which operations a desktop notification tells of. OK brings the auto-start file in line with the
// choice at once (the choice itself is stored with the window settings next time) and stores the
// others in the settings store, where the next monitor cycle finds them.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace lp {

class TfrmAdditional : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAdditional(QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* chkAuto = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* chkTrash = nullptr;
    QLabel* lblNameClash = nullptr;
    QComboBox* cbNameClash = nullptr; // in the order of NameClash: replace, keep both, leave
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* chkNotifyFailures = nullptr; // a desktop notification when an operation fails
    QCheckBox* chkNotifySorted = nullptr;   // one for every file sorted
    QPushButton* BitBtn1 = nullptr;         // OK
    QPushButton* BitBtn2 = nullptr;         // Cancel

public slots:
    void FormCreate();
    // Sets AutoStart, writes or removes the auto-start file, stores the sorting choices, and
    // closes; a failure is shown and the dialog closes all the same.
    void BitBtn1Click();

private:
    // The box was drawn for a narrower font than most desktops use; where a caption would be cut
    // off, the dialog grows wide enough to show it whole.
    void widenForCaptions();
};

} // namespace lp
