#include "launchinput.h"

#include "exchange_values.h"
#include "param_dialog_frame.h"
#include "platform/launcher.h"
#include "rule_description.h"
#include "typed_values.h"
#include "widgets/accent_colour.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>

namespace lp {

namespace {

QLabel* placeLabel(QWidget& parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, &parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, parent.width() - x - 4, 16);
    return label;
}

// The hints stand out in navy, or in the theme's link colour where navy would not read (a dark
// theme).
void paintAsHint(QLabel& label) {
    QPalette palette = label.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText,
                         ReadableAccent(QColor(0, 0, 128), palette, group, QPalette::Window));
    label.setPalette(palette);
}

} // namespace

QString programBrowseStart(const QString& typed) {
    const QString home = QDir::homePath();
    if (typed.isEmpty())
        return home;
    // A bare name is looked for on the path, as it is started; the folder the program happens
    // to run in means nothing to the user.
    if (!QDir::fromNativeSeparators(typed).contains(QLatin1Char('/'))) {
        const QString found = QStandardPaths::findExecutable(typed);
        return found.isEmpty() ? home : QFileInfo(found).absolutePath();
    }
    const QFileInfo named(typed);
    if ((named.isAbsolute() && named.absoluteDir().exists()) || named.isFile())
        return named.absolutePath();
    return home;
}

TfrmLaunch::TfrmLaunch(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLaunch"));
    setWindowTitle(QStringLiteral("Enter Program/Script to Launch"));
    resize(268, 165); // the labels take their width from it

    Label1 = placeLabel(*this, "Label1",
                        QStringLiteral("Enter full path of program/script to run:"), 8, 8);
    teProgram = placePathEdit(*this, "teProgram", 8, 26, 173);
    Button1 = placeButton(*this, "Button1", QStringLiteral("Browse..."), 185, 24);
    Label2 = placeLabel(*this, "Label2", QStringLiteral("Enter Parameters:"), 8, 54);
    teParam = placeEdit(*this, "teParam", 8, 72, 252);
    Label3 = placeLabel(*this, "Label3",
                        QStringLiteral("Enter \"mfile\" to use found file as an argument"), 8, 98);
    Label4 = placeLabel(*this, "Label4", QStringLiteral("(ex. -mfile)"), 8, 114);
    paintAsHint(*Label3);
    paintAsHint(*Label4);
    Button2 = placeButton(*this, "Button2", QStringLiteral("OK"), 104, 134);
    Button3 = placeButton(*this, "Button3", QStringLiteral("Cancel"), 185, 134);
    Button2->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TfrmLaunch::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmLaunch::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmLaunch::Button3Click);

    // An action without a program starts empty, even when it holds parameters.
    const ParamExchange& values = exchange();
    if (values.currentText != kNotGivenText) {
        teProgram->setText(QString::fromStdString(values.currentText));
        teParam->setText(QString::fromStdString(values.launchParams));
    }

    frameParamDialog(*this, 268, 165);
    showCaptionWhole();
    startTypingIn(*teProgram);
}

void TfrmLaunch::showCaptionWhole() {
    // The title bar holds the caption beside the window's icon and close box; where the
    // desktop's title font needs more than the design's width, the dialog grows, its fields
    // with it and its buttons staying at the right edge.
    constexpr int kTitleBarButtons = 96;
    const QFontMetrics title(QFontDatabase::systemFont(QFontDatabase::TitleFont));
    const int extra = title.horizontalAdvance(windowTitle()) + kTitleBarButtons - width();
    if (extra <= 0)
        return;
    setFixedSize(width() + extra, height());
    for (QWidget* field : {static_cast<QWidget*>(teProgram), static_cast<QWidget*>(teParam)})
        field->resize(field->width() + extra, field->height());
    for (QWidget* button : {Button1, Button2, Button3})
        button->move(button->x() + extra, button->y());
    placeDialogAtCursor(*this);
}

void TfrmLaunch::Button1Click() {
    const QString start = programBrowseStart(teProgram->text());
    if (const std::optional<QString> file = pickProgram(this, QStringLiteral("Open"), start))
        teProgram->setText(QDir::toNativeSeparators(*file));
}

void TfrmLaunch::Button2Click() {
    const QString program = teProgram->text();
    const QString params = teParam->text();
    if (program.isEmpty()) {
        refuse(*this, QStringLiteral("Please enter a filename"));
        return;
    }
    if (holdsLineBreak(program) || holdsLineBreak(params)) {
        refuse(*this, QString::fromLatin1(kLineBreakRefusal));
        return;
    }
    // A program that is not there now may be there when a file arrives (a drive not yet
    // mounted, a program still to be installed): the user may keep it.
    if (!platform::ProgramStartable(program.toStdString()) &&
        !warnBeforeGoingOn(*this,
                           QStringLiteral("Program cannot be found or run. Keep it anyway?")))
        return;
    ParamExchange& values = exchange();
    values.chosenPath = program.toStdString();
    values.launchParams = params.toStdString();
    accept();
}

void TfrmLaunch::Button3Click() {
    reject();
}

} // namespace lp
