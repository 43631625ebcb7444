#include "path.h"

#include "exchange_values.h"
#include "globals/path_template.h"
#include "param_dialog_frame.h"
#include "platform/local_time.h"
#include "rule_description.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <variant>

namespace lp {

TfrmPath::TfrmPath(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPath"));
    setWindowTitle(QStringLiteral("Enter Path"));
    const ParamExchange& values = exchange();

    Label1 =
        new QLabel(values.pathTarget == "rCopy" ? QStringLiteral("Enter path to copy to")
                                                : QStringLiteral("Enter path to move file to:"),
                   this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 270, 16);
    tePath = placePathEdit(*this, "tePath", 8, 28, 194);
    if (values.currentText != kNotGivenText)
        tePath->setText(QString::fromStdString(values.currentText));
    Button1 = placeButton(*this, "Button1", QStringLiteral("Browse..."), 206, 26);
    Button2 = placeButton(*this, "Button2", QStringLiteral("OK"), 125, 58);
    Button3 = placeButton(*this, "Button3", QStringLiteral("Cancel"), 206, 58);
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfrmPath::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmPath::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmPath::Button3Click);

    Label2 = new QLabel(QStringLiteral("Placeholder:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 96, 72, 16);
    cbPlaceholder = new QComboBox(this);
    cbPlaceholder->setObjectName(QStringLiteral("cbPlaceholder"));
    cbPlaceholder->setGeometry(80, 92, 122, 23);
    for (const std::string_view name : PlaceholderNames())
        cbPlaceholder->addItem(QStringLiteral("{%1}").arg(QString::fromUtf8(name)));
    Label2->setBuddy(cbPlaceholder);
    Button4 = placeButton(*this, "Button4", QStringLiteral("Insert"), 206, 91);
    connect(Button4, &QPushButton::clicked, this, &TfrmPath::Button4Click);
    lbExample = new QLabel(this);
    lbExample->setObjectName(QStringLiteral("lbExample"));
    lbExample->setGeometry(8, 124, 273, 32);
    lbExample->setWordWrap(true);
    connect(tePath, &QLineEdit::textChanged, this, &TfrmPath::showExample);
    showExample();

    frameParamDialog(*this, 289, 160);
    startTypingIn(*tePath);
}

// Where a photo taken and written today would go, so that the placeholders read as folders.
void TfrmPath::showExample() {
    const auto parsed =
        PathTemplate::Parse(tePath->text().toStdString(), PathTemplate::Kind::Destination);
    const auto* destination = std::get_if<PathTemplate>(&parsed);
    if (!destination || !destination->hasPlaceholders()) {
        lbExample->setText(destination || tePath->text().isEmpty()
                               ? QString()
                               : QString::fromStdString(std::get<TemplateRefusal>(parsed).reason));
        return;
    }
    const double today = platform::LocalToday();
    TemplateFacts facts = FactsOfName("photo.jpg", today, today);
    facts.taken = today;
    const std::string folder =
        PathBelow(destination->fixedFolder(), destination->foldersBelow(facts));
    lbExample->setText(QStringLiteral("photo.jpg goes to %1")
                           .arg(QDir::toNativeSeparators(QString::fromStdString(folder))));
}

void TfrmPath::Button4Click() {
    tePath->insert(cbPlaceholder->currentText());
    tePath->setFocus();
}

void TfrmPath::Button1Click() {
    if (const std::optional<QString> folder =
            pickFolder(this, QStringLiteral("Select Folder"), startFolderFor(tePath->text())))
        tePath->setText(QString::fromStdString(
            EscapeTemplateText(QDir::toNativeSeparators(*folder).toStdString())));
}

void TfrmPath::Button2Click() {
    const QString typed = tePath->text();
    // Checked first: a folder name may itself hold a line break, which the configuration file
    // could not keep.
    if (holdsLineBreak(typed)) {
        refuse(*this, QString::fromLatin1(kLineBreakRefusal));
        return;
    }
    // "{" starts a placeholder, "{{" stands for "{": a placeholder Larchpost does not know is
    // refused here, never stored.
    const auto parsed = PathTemplate::Parse(typed.toStdString(), PathTemplate::Kind::Destination);
    if (const auto* refusal = std::get_if<TemplateRefusal>(&parsed)) {
        refuse(*this,
               QString::fromStdString("The destination cannot be used: " + refusal->reason + "."));
        return;
    }
    const PathTemplate& destination = std::get<PathTemplate>(parsed);
    // The folder before the first placeholder must be there: a drive that is not plugged in is
    // never made again on the system disk. A relative path would depend on the folder the
    // program happens to run in.
    const QString fixed = typed.contains(QLatin1Char('{'))
                              ? QString::fromStdString(destination.fixedFolder())
                              : typed;
    if (!QDir::isAbsolutePath(fixed) || !QFileInfo(fixed).isDir()) {
        showWarning(this, QStringLiteral("Path does not exist"), std::nullopt);
        return;
    }
    exchange().chosenPath =
        destination.hasPlaceholders() ? typed.toStdString() : fixed.toStdString();
    exchange().chosenTemplated = destination.hasPlaceholders();
    accept();
}

void TfrmPath::Button3Click() {
    reject();
}

} // namespace lp
