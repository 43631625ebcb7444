#include "additional.h"

#include "desktop/autostart_entry.h"
#include "globals/app_globals.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace lp {

TfrmAdditional::TfrmAdditional(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAdditional"));
    setWindowTitle(QStringLiteral("Additional Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(262, 106);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 6, 246, 54);
    chkAuto = new QCheckBox(GroupBox1);
    chkAuto->setObjectName(QStringLiteral("chkAuto"));
    // Says what the entry does on this desktop.
    chkAuto->setText(autoStartCaption());
    chkAuto->setGeometry(10, 18, 230, 22);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(98, 72, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(179, 72, 75, 25);

    // The box was drawn for a narrower font than most desktops use; where the caption would be
    // cut off, the dialog grows wide enough to show it whole.
    const int extra = chkAuto->sizeHint().width() - chkAuto->width();
    if (extra > 0) {
        setFixedSize(width() + extra, height());
        GroupBox1->resize(GroupBox1->width() + extra, GroupBox1->height());
        chkAuto->resize(chkAuto->sizeHint().width(), chkAuto->height());
        BitBtn1->move(BitBtn1->x() + extra, BitBtn1->y());
        BitBtn2->move(BitBtn2->x() + extra, BitBtn2->y());
    }

    connect(BitBtn1, &QPushButton::clicked, this, &TfrmAdditional::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TfrmAdditional::FormCreate() {
    placeDialogOverMainWindow(*this);
    chkAuto->setChecked(app().registry.AutoStart);
}

void TfrmAdditional::BitBtn1Click() {
    RegistrySettings& settings = app().registry;
    settings.AutoStart = chkAuto->isChecked();
    const std::optional<std::string> error =
        settings.AutoStart ? writeRunEntry(executablePath()) : removeRunEntry();
    if (error)
        showWarning(this, QString::fromStdString(*error), std::nullopt);
    accept();
}

} // namespace lp
