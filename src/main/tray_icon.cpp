#include "tray_icon.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace lp {

namespace {

std::optional<bool>& availabilityOverride() {
    static std::optional<bool> value;
    return value;
}

} // namespace

bool trayAvailable() {
    if (availabilityOverride())
        return *availabilityOverride();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void setTrayAvailableForTests(std::optional<bool> available) {
    availabilityOverride() = available;
}

TrayIcon::TrayIcon(QWidget* owner) : QObject(owner) {
    setObjectName(QStringLiteral("TrayIcon1"));
    PopupMenu1 = new QMenu(owner);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    ViewBrindleboxWindow1 = PopupMenu1->addAction(QString());
    ViewBrindleboxWindow1->setObjectName(QStringLiteral("ViewBrindleboxWindow1"));
    Activity2 = PopupMenu1->addAction(QString());
    Activity2->setObjectName(QStringLiteral("Activity2"));
    PauseSorting1 = PopupMenu1->addAction(QString());
    PauseSorting1->setObjectName(QStringLiteral("PauseSorting1"));
    PauseSorting1->setCheckable(true);
    PopupMenu1->addSeparator();
    ExitBrindlebox1 = PopupMenu1->addAction(QString());
    ExitBrindlebox1->setObjectName(QStringLiteral("ExitBrindlebox1"));

    icon = new QSystemTrayIcon(this);
    icon->setContextMenu(PopupMenu1);

    connect(icon, &QSystemTrayIcon::activated, this, &TrayIcon::IconTray);
}

void TrayIcon::setCaptions() {
    ViewBrindleboxWindow1->setText(QStringLiteral("View Larchpost Window"));
    Activity2->setText(QStringLiteral("Activity..."));
    PauseSorting1->setText(QStringLiteral("Pause Sorting"));
    ExitBrindlebox1->setText(QStringLiteral("Exit Larchpost"));
}

void TrayIcon::add(const QIcon& picture) {
    picture_ = picture;
    icon->setIcon(shownPicture());
    icon->setToolTip(toolTip());
    // Shown also where no notification area exists yet: the icon appears once one starts.
    icon->show();
}

void TrayIcon::showPaused(bool paused) {
    PauseSorting1->setChecked(paused);
    icon->setToolTip(toolTip());
    if (!picture_.isNull())
        icon->setIcon(shownPicture());
}

QIcon TrayIcon::shownPicture() const {
    if (!PauseSorting1->isChecked())
        return picture_;
    // Paused: the picture greyed, as the desktop draws a disabled one, at the sizes trays use.
    QIcon paused;
    for (const int side : {16, 22, 24, 32, 48, 64})
        paused.addPixmap(picture_.pixmap(QSize(side, side), QIcon::Disabled));
    return paused;
}

void TrayIcon::showProgress(const QString& text) {
    progress_ = text;
    icon->setToolTip(toolTip());
}

QString TrayIcon::toolTip() const {
    if (!progress_.isEmpty())
        return progress_;
    return PauseSorting1->isChecked() ? QStringLiteral("Larchpost (paused)")
                                      : QStringLiteral("Larchpost");
}

void TrayIcon::IconTray(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger)
        emit clicked();
    else if (reason == QSystemTrayIcon::DoubleClick)
        emit doubleClicked();
}

} // namespace lp
