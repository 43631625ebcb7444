#pragma once
// The one-line input dialog for a text (the extension list) or a number (a trigger limit, a count
// of newest or oldest files). Its caption, from the exchange values, picks the mode.

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lp {

class TfrmInput : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInput(QWidget* parent = nullptr);

    // Number mode is on exactly for these captions; every other caption gives text mode.
    static bool isNumberCaption(const QString& caption);
    bool numberMode() const { return numberMode_; }

public slots:
    void Button2Click(); // OK
    void Button3Click(); // Cancel

private:
    bool numberMode_ = false;
    bool extensions_ = false; // the extension list: shows and stores it without leading dots
    bool types_ = false;      // a list of content types, checked word by word
    QLabel* Label1 = nullptr;
    QLabel* lblStored = nullptr;
    QLabel* lblTypes = nullptr; // the words a type may be; types only
    QCheckBox* cbAnyCase = nullptr;
    QLineEdit* teInput = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
};

} // namespace lp
