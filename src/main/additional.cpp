#include "additional.h"

#include "desktop/autostart_entry.h"
#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "desktop/stored_options.h"
#include "globals/app_globals.h"
#include "platform/problem.h"
#include "widgets/keyboard_access.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace lp {

namespace {

// The choices of cbNameClash, in its order.
constexpr NameClash kNameClashChoices[] = {NameClash::Replace, NameClash::KeepBoth,
                                           NameClash::Leave};

} // namespace

TfrmAdditional::TfrmAdditional(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAdditional"));
    setWindowTitle(QStringLiteral("Additional Options"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(262, 282);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 6, 246, 54);
    chkAuto = new QCheckBox(GroupBox1);
    chkAuto->setObjectName(QStringLiteral("chkAuto"));
    // Says what the entry does on this desktop.
    chkAuto->setText(autoStartCaption());
    chkAuto->setGeometry(10, 18, 230, 22);

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 66, 246, 106);
    chkTrash = new QCheckBox(QStringLiteral("Move deleted files to the trash"), GroupBox2);
    chkTrash->setObjectName(QStringLiteral("chkTrash"));
    chkTrash->setGeometry(10, 14, 230, 22);
    lblNameClash =
        new QLabel(QStringLiteral("When a file of the same name is already there:"), GroupBox2);
    lblNameClash->setObjectName(QStringLiteral("lblNameClash"));
    lblNameClash->setGeometry(10, 44, 230, 18);
    cbNameClash = new QComboBox(GroupBox2);
    cbNameClash->setObjectName(QStringLiteral("cbNameClash"));
    cbNameClash->addItems({QStringLiteral("Replace it"), QStringLiteral("Keep both"),
                           QStringLiteral("Leave the new file where it is")});
    cbNameClash->setGeometry(10, 66, 226, 26);
    lblNameClash->setBuddy(cbNameClash);

    GroupBox3 = new QGroupBox(this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(8, 178, 246, 62);
    chkNotifyFailures =
        new QCheckBox(QStringLiteral("Show a notification when an operation fails"), GroupBox3);
    chkNotifyFailures->setObjectName(QStringLiteral("chkNotifyFailures"));
    chkNotifyFailures->setGeometry(10, 10, 230, 22);
    chkNotifySorted =
        new QCheckBox(QStringLiteral("Show a notification for every file sorted"), GroupBox3);
    chkNotifySorted->setObjectName(QStringLiteral("chkNotifySorted"));
    chkNotifySorted->setGeometry(10, 32, 230, 22);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(98, 248, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(179, 248, 75, 25);

    widenForCaptions();

    connect(BitBtn1, &QPushButton::clicked, this, &TfrmAdditional::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
    giveButtonMnemonics(*this);
}

void TfrmAdditional::widenForCaptions() {
    int extra = 0;
    for (QWidget* caption : std::initializer_list<QWidget*>{
             chkAuto, chkTrash, lblNameClash, cbNameClash, chkNotifyFailures, chkNotifySorted})
        extra = std::max(extra, caption->sizeHint().width() - caption->width());
    if (extra <= 0)
        return;
    setFixedSize(width() + extra, height());
    for (QWidget* grown : std::initializer_list<QWidget*>{GroupBox1, GroupBox2, GroupBox3, chkAuto,
                                                          chkTrash, lblNameClash, cbNameClash,
                                                          chkNotifyFailures, chkNotifySorted})
        grown->resize(grown->width() + extra, grown->height());
    for (QPushButton* button : {BitBtn1, BitBtn2})
        button->move(button->x() + extra, button->y());
}

void TfrmAdditional::FormCreate() {
    placeDialogOverMainWindow(*this);
    chkAuto->setChecked(app().registry.AutoStart);
    // Silent: a value not understood was said when the program started.
    const StoredOptions stored = ReadStoredOptions(settingsStore(), {});
    const SortingPolicy& policy = stored.policy;
    chkNotifyFailures->setChecked(stored.notifyFailures);
    chkNotifySorted->setChecked(stored.notifyEverySorted);
    chkTrash->setChecked(policy.deleteToTrash);
    const auto* choice =
        std::find(std::begin(kNameClashChoices), std::end(kNameClashChoices), policy.nameClash);
    cbNameClash->setCurrentIndex(choice == std::end(kNameClashChoices)
                                     ? 0
                                     : static_cast<int>(choice - std::begin(kNameClashChoices)));
}

void TfrmAdditional::BitBtn1Click() {
    RegistrySettings& settings = app().registry;
    settings.AutoStart = chkAuto->isChecked();
    const Problem error = settings.AutoStart ? writeRunEntry(executablePath()) : removeRunEntry();
    if (error)
        showWarning(this, QString::fromStdString(*error), std::nullopt);

    // Read again rather than kept from the dialog's start: the pause may have changed meanwhile.
    StoredOptions options = ReadStoredOptions(settingsStore(), {});
    options.policy.deleteToTrash = chkTrash->isChecked();
    const int index = std::clamp(cbNameClash->currentIndex(), 0,
                                 static_cast<int>(std::size(kNameClashChoices)) - 1);
    options.policy.nameClash = kNameClashChoices[index];
    options.notifyFailures = chkNotifyFailures->isChecked();
    options.notifyEverySorted = chkNotifySorted->isChecked();
    if (!WriteStoredOptions(settingsStore(), options))
        showWarning(this, settingsStore().notWrittenMessage(), std::nullopt);
    accept();
}

} // namespace lp
