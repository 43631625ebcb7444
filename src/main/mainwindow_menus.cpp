// The main window's menu commands: the activity window, close, the options dialog, the links,
// help and the about box.

#include "about.h"
#include "activity_window.h"
#include "additional.h"
#include "desktop/help_file.h"
#include "engine/activity_log.h"
#include "globals/app_globals.h"
#include "help_window.h"
#include "mainwindow.h"
#include "platform/user_folders.h"
#include "quit_request.h"
#include "tray_icon.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

#include <QAction>
#include <QGuiApplication>
#include <QSessionManager>
#include <string_view>
#include <utility>

namespace lp {

void TfrmMain::connectMenus() {
    connect(menus.Activity1, &QAction::triggered, this, &TfrmMain::Activity1Click);
    connect(menus.SortNow1, &QAction::triggered, this, &TfrmMain::SortNow1Click);
    connect(menus.Close1, &QAction::triggered, this, &TfrmMain::Close1Click);
    connect(menus.AdditionalOptions1, &QAction::triggered, this,
            &TfrmMain::AdditionalOptions1Click);
    connect(menus.Contents1, &QAction::triggered, this, &TfrmMain::Contents1Click);
    connect(menus.About1, &QAction::triggered, this, &TfrmMain::About1Click);
    const std::pair<const char*, void (TfrmMain::*)()> linkHandlers[] = {
        {"Support1", &TfrmMain::Support1Click}, {"OnlineForums1", &TfrmMain::OnlineForums1Click},
        {"Product1", &TfrmMain::Product1Click}, {"Product2", &TfrmMain::Product2Click},
        {"Product3", &TfrmMain::Product3Click},
    };
    for (QAction* link : menus.links)
        for (const auto& [name, handler] : linkHandlers)
            if (link->objectName() == QLatin1String(name))
                connect(link, &QAction::triggered, this, handler);
    connect(tray, &TrayIcon::clicked, this, &TfrmMain::trayIconClick);
    connect(tray, &TrayIcon::doubleClicked, this, &TfrmMain::trayIconDoubleClick);
    connect(tray->ViewBrindleboxWindow1, &QAction::triggered, this,
            &TfrmMain::ViewBrindleboxWindow1Click);
    connect(tray->Activity2, &QAction::triggered, this, &TfrmMain::Activity1Click);
    // triggered, not toggled: only the user's choice is stored, not the state set at creation.
    connect(tray->PauseSorting1, &QAction::triggered, this, &TfrmMain::PauseSorting1Click);
    connect(menus.PauseSorting2, &QAction::triggered, this,
            [this](bool checked) { setPaused(checked); });
    connect(tray->ExitBrindlebox1, &QAction::triggered, this, &TfrmMain::ExitBrindlebox1Click);
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager&) { WMQUERYENDSESSION(); });
        connect(application, &QCoreApplication::aboutToQuit, this, &TfrmMain::applicationQuitting);
        watchForQuitRequest(*application, *this, [this] { applicationQuitting(); });
    }
}

void TfrmMain::openLinksEntry(const char* name) {
    for (const LinksEntry& link : linksEntries())
        if (link.name != nullptr && std::string_view(link.name) == name)
            openHelp(QString::fromLatin1(link.helpSection));
}

void TfrmMain::Support1Click() {
    openLinksEntry("Support1");
}
void TfrmMain::OnlineForums1Click() {
    openLinksEntry("OnlineForums1");
}
void TfrmMain::Product1Click() {
    openLinksEntry("Product1");
}
void TfrmMain::Product2Click() {
    openLinksEntry("Product2");
}
void TfrmMain::Product3Click() {
    openLinksEntry("Product3");
}

void TfrmMain::Close1Click() {
    close();
}

void TfrmMain::Activity1Click() {
    if (activityWindow_ == nullptr) {
        // Its own window, not the main window's child: it stays when the main window hides to
        // the tray, and it is one of the main window's parts for whoever looks for them.
        activityWindow_ = new TfrmActivity(ActivityLog::DefaultPath(), this);
        activityWindow_->setUndoRecorder(
            [this](const ActivityEntry& undone) { cycles->recordUndo(undone); });
        moveWithinScreen(*activityWindow_, frameGeometry().topLeft() + QPoint(40, 40));
        tellActivityWindowOfCycle();
        activityWindow_->showProgress(progress_);
    } else {
        activityWindow_->refresh();
        // Opened again, it shows what happened last, not where it was left.
        if (!activityWindow_->isVisible())
            activityWindow_->showNewest();
    }
    activityWindow_->show();
    activityWindow_->raise();
    activityWindow_->activateWindow();
}

void TfrmMain::AdditionalOptions1Click() {
    TfrmAdditional dialog(this);
    runModal(dialog);
}

void TfrmMain::Contents1Click() {
    openHelp(QString());
}

void TfrmMain::openHelp(const QString& section) {
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
        moveWithinScreen(*helpWindow_, frameGeometry().topLeft() + QPoint(40, 40));
    }
    helpWindow_->openFile(help.path, section);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void TfrmMain::About1Click() {
    Tfrmabout dialog(this);
    runModal(dialog);
}

} // namespace lp
