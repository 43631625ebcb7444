#pragma once
// The about box: the program's name, icon, version and build.

#include <QDialog>

class QLabel;
class QPushButton;

namespace lp {

class Tfrmabout : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmabout(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr; // the program's icon
    QLabel* lblPName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lblComment = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void FormCreate();
};

} // namespace lp
