#pragma once
// The folder dialog: adds a monitored folder or edits the one selected in the main window. On OK
// it has written the record into the table; the caller rebuilds its lists and saves.

#include "platform/problem.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lp {

struct ServiceTable;

class TfrmAddService : public QDialog {
    Q_OBJECT
public:
    // editing false: a new folder is appended on OK. editing true: the folder shown at
    // selectedLine of the folder list is rewritten on OK.
    TfrmAddService(ServiceTable& table, bool editing, int selectedLine, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* teService = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* teSharedDir = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* teExclude = nullptr;
    QCheckBox* cbSubfolders = nullptr; // watch the folder's sub-folders with it
    QComboBox* cbLevels = nullptr;     // how deep: 1 to 31 levels, or all (32)
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

public slots:
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    // Why the fields as they stand may not be stored, or nothing.
    Problem refusal() const;
    // The warning for a folder that another entry already monitors, empty when there is none.
    QString watchedTwiceWarning() const;

    ServiceTable& table_;
    bool editing_;
    int selectedLine_;
};

} // namespace lp
