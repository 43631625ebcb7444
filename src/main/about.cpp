#include "about.h"

#include "desktop/program_icon.h"
#include "globals/app_globals.h"
#include "globals/program_version.h"
#include "widgets/keyboard_access.h"
#include "widgets/placement.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace lp {

Tfrmabout::Tfrmabout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmabout"));
    setWindowTitle(QStringLiteral("About Larchpost"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(247, 153);

    auto label = [this](const char* name, int x, int y, int w, int h) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, w, h);
        return l;
    };
    Image1 = label("Image1", 10, 10, 48, 48);
    lblPName = label("lblPName", 70, 10, 170, 18);
    lblVersion = label("lblVersion", 70, 30, 170, 16);
    Label1 = label("Label1", 70, 46, 170, 16);
    Label3 = label("Label3", 10, 68, 230, 16);
    Label3->setWordWrap(true);
    lblComment = label("lblComment", 10, 86, 230, 30);
    lblComment->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(86, 122, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
    giveButtonMnemonics(*this);
}

void Tfrmabout::FormCreate() {
    placeDialogOverMainWindow(*this);
    Image1->setPixmap(programIcon().pixmap(48, 48));
    QFont bold = lblPName->font();
    bold.setBold(true);
    lblPName->setFont(bold);
    lblPName->setText(QStringLiteral("Larchpost"));
    lblVersion->setText(QString::fromStdString(app().versionLine));
    Label1->setText(QString::fromStdString(buildLine()));
    Label3->setText(QStringLiteral("Your folders, sorted by your rules."));
    lblComment->setText(QStringLiteral("Thank you for using Larchpost."));
}

} // namespace lp
