#include "addservice.h"
#include "platform/path_separator.h"

#include "globals/app_globals.h"
#include "globals/records.h"
#include "ruledef/typed_values.h"
#include "widgets/keyboard_access.h"
#include "widgets/path_field.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"
#include "widgets/wrap_labels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace lp {

namespace {

const char* const kNameCaption = "Enter Name To Identify Folder";
const char* const kFolderCaption = "Select Folder:";
const char* const kExcludeCaption = "Enter Files To Be Excluded From Rules (Ex. *.dat;myfile*)";

} // namespace

TfrmAddService::TfrmAddService(ServiceTable& table, bool editing, int selectedLine, QWidget* parent)
    : QDialog(parent), table_(table), editing_(editing), selectedLine_(selectedLine) {
    setObjectName(QStringLiteral("frmAddService"));
    setWindowTitle(QStringLiteral("Add Service"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // The labels carry their captions from the start, so that the dialog's size allows for them
    // before it is placed.
    auto label = [this](const char* name, const char* caption, int x, int y, int w) {
        auto* l = new QLabel(QString::fromLatin1(caption), this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, w, 16);
        return l;
    };
    auto edit = [this](const char* name, int x, int y, int w) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, y, w, 23);
        return e;
    };
    auto button = [this](const char* name, const char* caption, int x, int y) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, y, 75, 25);
        b->setAutoDefault(false);
        return b;
    };

    Label1 = label("Label1", kNameCaption, 8, 8, 279);
    teService = edit("teService", 8, 25, 89);
    Label2 = label("Label2", kFolderCaption, 8, 54, 279);
    teSharedDir = new PathField(this);
    teSharedDir->setObjectName(QStringLiteral("teSharedDir"));
    teSharedDir->setGeometry(8, 71, 177, 23);
    Button3 = button("Button3", "Browse...", 192, 70);
    Label3 = label("Label3", kExcludeCaption, 8, 100, 284);
    teExclude = edit("teExclude", 8, 117, 177);
    cbSubfolders = new QCheckBox(QStringLiteral("Include sub-folders"), this);
    cbSubfolders->setObjectName(QStringLiteral("cbSubfolders"));
    cbSubfolders->setGeometry(8, 148, 150, 23);
    cbLevels = new QComboBox(this);
    cbLevels->setObjectName(QStringLiteral("cbLevels"));
    cbLevels->setGeometry(192, 148, 75, 23);
    cbLevels->setToolTip(QStringLiteral("How many levels of sub-folders are watched"));
    cbLevels->addItem(QStringLiteral("all"), kMostSubfolderLevels);
    for (int levels = 1; levels < kMostSubfolderLevels; ++levels)
        cbLevels->addItem(QString::number(levels), levels);
    cbLevels->setEnabled(false);
    connect(cbSubfolders, &QCheckBox::toggled, cbLevels, &QComboBox::setEnabled);
    Button1 = button("Button1", "OK", 132, 180);
    Button1->setDefault(true);
    Button2 = button("Button2", "Cancel", 212, 180);

    setFixedSize(295, wrapLongLabels(*this, 210));

    connect(Button1, &QPushButton::clicked, this, &TfrmAddService::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmAddService::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmAddService::Button3Click);

    FormCreate();
    giveButtonMnemonics(*this);
}

void TfrmAddService::FormCreate() {
    placeDialogOverMainWindow(*this);
    Label1->setText(QString::fromLatin1(kNameCaption));
    Label2->setText(QString::fromLatin1(kFolderCaption));
    Label3->setText(QString::fromLatin1(kExcludeCaption));
    if (!editing_)
        return;
    if (const rServiceRules* record = findUserService(table_, selectedLine_)) {
        teService->setText(QString::fromStdString(record->othername));
        teSharedDir->setText(QString::fromStdString(record->sharedir));
        teExclude->setText(QString::fromStdString(record->excludefiles));
        if (record->subfolders > 0) {
            cbSubfolders->setChecked(true);
            cbLevels->setCurrentIndex(std::max(0, cbLevels->findData(record->subfolders)));
        }
        setWindowTitle(QStringLiteral("Edit Folder"));
    }
}

void TfrmAddService::Button3Click() {
    if (auto chosen =
            pickFolder(this, QStringLiteral("Select Folder"), startFolderFor(teSharedDir->text())))
        teSharedDir->setText(QDir::toNativeSeparators(*chosen));
}

Problem TfrmAddService::refusal() const {
    if (teService->text().isEmpty())
        return "Service name required";
    if (blanksOnly(teService->text()))
        return "Service name cannot be only blanks.";
    if (teSharedDir->text().isEmpty())
        return "Shared directory required";
    // The configuration file holds one value per line, so a line break would corrupt it.
    if (holdsLineBreak(teService->text()) || holdsLineBreak(teSharedDir->text()) ||
        holdsLineBreak(teExclude->text()))
        return "Line breaks are not allowed in names or folders.";
    const rServiceRules* self = editing_ ? findUserService(table_, selectedLine_) : nullptr;
    const std::string name = teService->text().toStdString();
    for (const rServiceRules& other : table_.services)
        if (&other != self && other.othername == name)
            return "Service name matches existing name";
    // A typed or pasted folder is held to what Browse can choose: an existing folder, named in
    // full. A folder kept unchanged while editing may be away for now (a drive not mounted).
    const QString folder = teSharedDir->text();
    const bool unchanged = self != nullptr && folder.toStdString() == self->sharedir;
    if (!unchanged && !(QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir()))
        return "Path does not exist";
    return std::nullopt;
}

QString TfrmAddService::watchedTwiceWarning() const {
    const rServiceRules* self = editing_ ? findUserService(table_, selectedLine_) : nullptr;
    for (const rServiceRules& other : table_.services)
        if (&other != self &&
            sameFolder(QString::fromStdString(other.sharedir), teSharedDir->text()))
            return QStringLiteral("This folder is already monitored as \"%1\". Monitor it again?")
                .arg(QString::fromStdString(other.othername));
    return {};
}

void TfrmAddService::Button1Click() {
    if (const Problem why = refusal()) {
        refuse(*this, QString::fromStdString(*why));
        return;
    }
    // Two entries on one folder may well be meant (rules kept apart), so the user may go on.
    if (const QString warning = watchedTwiceWarning();
        !warning.isEmpty() && !warnBeforeGoingOn(*this, warning))
        return;
    rServiceRules* record = nullptr;
    if (editing_) {
        record = findUserService(table_, selectedLine_);
        if (record == nullptr) {
            reject(); // the folder went away meanwhile: nothing to rewrite
            return;
        }
    } else {
        record = &table_.services.emplace_back();
        record->othernum = table_.customCount + 1;
        ++table_.customCount;
    }
    record->serviceid = kOtherService;
    record->sharedir = platform::WithoutTrailingSeparators(teSharedDir->text().toStdString());
    record->othername = teService->text().toStdString();
    record->excludefiles = teExclude->text().toStdString();
    record->subfolders = cbSubfolders->isChecked() ? cbLevels->currentData().toInt() : 0;
    accept();
}

void TfrmAddService::Button2Click() {
    reject();
}

} // namespace lp
