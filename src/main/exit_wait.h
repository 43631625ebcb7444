#pragma once
// The small window that "Exit Larchpost" opens while a long operation is under way: it says what
// is being finished and how far it has come, and lets the user stop it instead of waiting.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace lp {

class ExitWait : public QDialog {
    Q_OBJECT
public:
    // onStop stops the operation; the program then ends as soon as it has.
    ExitWait(QWidget* parent, std::function<void()> onStop);

    // What the operation does and how far it is ("Copying song.flac to /media/usb/Music: 45%").
    void showProgress(const QString& text);

    // Closing the window is no way out of the program's end: the operation is waited for.
    void reject() override {}

private:
    QLabel* progress_;
    QPushButton* stop_;
};

} // namespace lp
