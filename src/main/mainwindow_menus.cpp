// The main window's menu commands: close, the options dialog, the links, help and the about box.

#include "about.h"
#include "additional.h"
#include "desktop/help_file.h"
#include "desktop/open_document.h"
#include "globals/app_globals.h"
#include "help_window.h"
#include "mainwindow.h"
#include "platform/user_folders.h"
#include "tray_icon.h"
#include "widgets/ui_seams.h"

#include <QAction>
#include <QGuiApplication>
#include <QSessionManager>

namespace lp {

void TfrmMain::connectMenus() {
    connect(menus.Close1, &QAction::triggered, this, &TfrmMain::Close1Click);
    connect(menus.AdditionalOptions1, &QAction::triggered, this,
            &TfrmMain::AdditionalOptions1Click);
    connect(menus.Contents1, &QAction::triggered, this, &TfrmMain::Contents1Click);
    connect(menus.About1, &QAction::triggered, this, &TfrmMain::About1Click);
    std::size_t next = 0;
    for (const WebLink& link : webLinks()) {
        if (link.name == nullptr)
            continue;
        const std::string address = link.address;
        connect(menus.links[next++], &QAction::triggered, this, [this, address] {
            OpenDocument(address, [this](const std::string& message) {
                showWarning(this, QString::fromStdString(message), std::nullopt);
            });
        });
    }
    connect(tray, &TrayIcon::viewRequested, this, &TfrmMain::Details1Click);
    connect(tray, &TrayIcon::exitRequested, this, &TfrmMain::ExitBrindlebox1Click);
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { WMQUERYENDSESSION(); });
}

void TfrmMain::Close1Click() {
    close();
}

void TfrmMain::AdditionalOptions1Click() {
    TfrmAdditional dialog(this);
    runModal(dialog);
}

void TfrmMain::Contents1Click() {
    const std::string& folder = app().applicationFolder;
    const HelpFileLookup help = findHelpFile(folder, platform::FolderWritable(folder));
    if (!help.found) {
        showWarning(this, QStringLiteral("Unable to find help file: ") + help.path,
                    frameGeometry().topLeft());
        return;
    }
    if (helpWindow_ == nullptr) {
        helpWindow_ = new TfrmHelp(this);
        // Beside the main window's corner rather than wherever the desktop puts a new window.
        helpWindow_->move(frameGeometry().topLeft() + QPoint(40, 40));
    }
    helpWindow_->openFile(help.path);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void TfrmMain::About1Click() {
    Tfrmabout dialog(this);
    runModal(dialog);
}

} // namespace lp
