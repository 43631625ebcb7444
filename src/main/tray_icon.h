#pragma once
// The icon in the notification area with its menu. It only reports what the user did; the main
// window connects the menu's entries and decides what showing and exiting mean.

#include <QObject>
#include <QSystemTrayIcon>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace lp {

// Whether the desktop has a notification area. Tests may decide it; pass nothing to ask the
// desktop again.
bool trayAvailable();
void setTrayAvailableForTests(std::optional<bool> available);

class TrayIcon : public QObject {
    Q_OBJECT
public:
    // The menu belongs to owner (the main window), so that it is found among the window's parts.
    explicit TrayIcon(QWidget* owner);

    // The menu's captions, set when the main window is created.
    void setCaptions();
    // Puts the icon with its tip into the notification area. Called once; the icon stays until
    // the program ends.
    void add(const QIcon& icon);
    // Ticks "Pause Sorting" and says in the tip whether sorting is paused.
    void showPaused(bool paused);
    // The tooltip says what a long operation does and how far it has come; an empty text gives
    // back the usual tooltip.
    void showProgress(const QString& text);

    QSystemTrayIcon* icon = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* ViewBrindleboxWindow1 = nullptr;
    QAction* Activity2 = nullptr;
    QAction* PauseSorting1 = nullptr; // checkable: on while sorting is paused
    QAction* ExitBrindlebox1 = nullptr;

signals:
    void clicked();
    void doubleClicked();

public slots:
    // What happened over the icon. The menu opens on a right click by itself (it is the icon's
    // context menu, shown at the pointer); a click asks to show or hide the window; a double
    // click asks for the window; anything else does nothing.
    void IconTray(QSystemTrayIcon::ActivationReason reason);

private:
    QString toolTip() const;
    // The program's picture, or its paused variant.
    QIcon shownPicture() const;

    QIcon picture_;
    QString progress_; // what a long operation does now; empty when none runs
};

} // namespace lp
