#include "path.h"

#include "exchange_values.h"
#include "globals/path_template.h"
#include "param_dialog_frame.h"
#include "placeholder_help.h"
#include "rule_description.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"

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
    connect(Button1, &QPushButton::clicked, this, &TfrmPath::Button1Click);

    placePlaceholderHelp(
        *this, *tePath, PathTemplate::Kind::Destination, 56, [](const PathTemplate& destination) {
            // A plain folder is its own example.
            if (!destination.hasPlaceholders())
                return QString();
            const std::string folder =
                PathBelow(destination.fixedFolder(), destination.foldersBelow(ExamplePhotoFacts()));
            return QStringLiteral("%1 goes to %2")
                .arg(QLatin1String(kExampleFile),
                     QDir::toNativeSeparators(QString::fromStdString(folder)));
        });

    // The buttons that close the dialog come last, also in the order Tab goes.
    Button2 = placeButton(*this, "Button2", QStringLiteral("OK"), 125, 142);
    Button3 = placeButton(*this, "Button3", QStringLiteral("Cancel"), 206, 142);
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, &TfrmPath::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmPath::Button3Click);
    frameParamDialog(*this, 289, 176);
    startTypingIn(*tePath);
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
