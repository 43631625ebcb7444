// The smallest desktop program of Larchpost's kind: a Qt Widgets application with a hidden main
// window and an icon in the notification area, idle in its event loop. What it keeps resident is
// the floor that Qt, the X connection and the C++ runtime set for any such program, so the idle
// memory of Larchpost is reported against it.

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    QMenu menu;
    menu.addAction(QStringLiteral("Exit"), &app, &QApplication::quit);
    QSystemTrayIcon tray(app.style()->standardIcon(QStyle::SP_ComputerIcon));
    tray.setContextMenu(&menu);
    tray.setToolTip(QStringLiteral("idle"));
    tray.show();
    return app.exec();
}
