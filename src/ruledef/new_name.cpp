#include "new_name.h"

#include "exchange_values.h"
#include "globals/path_template.h"
#include "param_dialog_frame.h"
#include "placeholder_help.h"
#include "typed_values.h"
#include "widgets/ui_seams.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <variant>

namespace lp {

TfrmNewName::TfrmNewName(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmNewName"));
    setWindowTitle(QStringLiteral("Enter New Name"));

    Label1 = new QLabel(QStringLiteral("Enter the new name:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 270, 16);
    // As wide as the example line below: a name has no Browse button beside it.
    teName = placeEdit(*this, "teName", 8, 28, 273);
    teName->setText(QString::fromStdString(exchange().currentText));

    placePlaceholderHelp(
        *this, *teName, PathTemplate::Kind::Name, 56, [](const PathTemplate& name) {
            const std::optional<std::string> made = name.name(ExamplePhotoFacts());
            // Such a name renames nothing: the rename fails and says so.
            if (!made)
                return QStringLiteral("%1 is not renamed: the name comes out "
                                      "empty")
                    .arg(QLatin1String(kExampleFile));
            QString becomes = QStringLiteral("%1 becomes %2")
                                  .arg(QLatin1String(kExampleFile), QString::fromStdString(*made));
            // Under "replace", a later file would take an earlier one's place.
            if (!name.usesName())
                return becomes + QStringLiteral(". Without {name}, files may share a name: "
                                                "the name-clash choice decides.");
            return becomes;
        });

    // The buttons that close the dialog come last, also in the order Tab goes.
    Button2 = placeButton(*this, "Button2", QStringLiteral("OK"), 125, 142);
    Button3 = placeButton(*this, "Button3", QStringLiteral("Cancel"), 206, 142);
    Button2->setDefault(true);
    connect(Button2, &QPushButton::clicked, this, &TfrmNewName::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmNewName::Button3Click);
    frameParamDialog(*this, 289, 176);
    startTypingIn(*teName);
}

// A name Larchpost could not make, a placeholder it does not know or a separator, is refused where
// it is typed: the rule keeps the name it had until one is given that can be used.
void TfrmNewName::Button2Click() {
    const QString typed = teName->text();
    // The configuration file keeps one value a line.
    if (holdsLineBreak(typed)) {
        refuse(*this, QString::fromLatin1(kLineBreakRefusal));
        return;
    }
    // Blanks alone would name every file the same invisible way.
    if (typed.trimmed().isEmpty()) {
        refuse(*this, QStringLiteral("The name cannot be used: it is empty."));
        return;
    }
    const auto parsed = PathTemplate::Parse(typed.toStdString(), PathTemplate::Kind::Name);
    if (const auto* refusal = std::get_if<TemplateRefusal>(&parsed)) {
        refuse(*this, QString::fromStdString("The name cannot be used: " + refusal->reason + "."));
        return;
    }
    exchange().currentText = typed.toStdString();
    accept();
}

void TfrmNewName::Button3Click() {
    reject();
}

} // namespace lp
