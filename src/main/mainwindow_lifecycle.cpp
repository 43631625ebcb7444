// The main window's life in the tray: showing it, the close request that hides it, exit, and the
// end of the desktop session.

#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "desktop/system_info.h"
#include "globals/app_globals.h"
#include "mainwindow.h"
#include "tray_icon.h"
#include "widgets/ui_seams.h"

#include <QCloseEvent>
#include <QTimer>
#include <iostream>

namespace lp {

namespace {

QString settingsNotWritten() {
    return QStringLiteral("Unable to write the settings file ") + settingsStore().filePath() +
           QStringLiteral(".");
}

} // namespace

void TfrmMain::copyGeometryToSettings() {
    RegistrySettings& settings = app().registry;
    const QRect frame = frameGeometry();
    settings.Left = frame.left();
    settings.Top = frame.top();
    settings.Width = frame.width();
    settings.Height = frame.height();
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    // Without a notification area a hidden window could never be brought back, so closing it
    // ends the program.
    canClose = sessionEnding_ || !trayAvailable();
    bool store = true;
    if (isMinimized()) {
        store = false;
    } else if (isMaximized()) {
        app().registry.Status = 1; // the stored geometry keeps the normal window's values
    } else {
        copyGeometryToSettings();
    }
    if (store && !WriteSettings()) {
        if (sessionEnding_) {
            // No box at the end of the session: nobody would be there to answer it.
            std::cerr << "larchpost: " << settingsNotWritten().toStdString() << '\n';
        } else {
            showWarning(this, settingsNotWritten(), std::nullopt);
            canClose = false;
            return; // the window stays as it is
        }
    }
    if (canClose)
        return;
    AppGlobals& g = app();
    --g.visibleCount;
    if (g.visibleCount == 0 && IsWinNT())
        TrimWorkingSet();
    hide();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    emit endRequested();
}

void TfrmMain::Details1Click() {
    showNormal();
    raise();
    activateWindow();
    ++app().visibleCount;
}

void TfrmMain::ViewBrindleboxWindow1Click() {
    Details1Click();
}

void TfrmMain::ExitBrindlebox1Click() {
    copyGeometryToSettings();
    // The program ends even when the position cannot be kept: a user must always be able to quit.
    if (!WriteSettings())
        showWarning(this, settingsNotWritten(), std::nullopt);
    emit endRequested();
}

void TfrmMain::WMQUERYENDSESSION() {
    // The close request the session makes first stores the state and hides the window; the
    // requests that follow really close it.
    bool ignored = false;
    FormCloseQuery(ignored);
    sessionEnding_ = true;
    Timer1->stop();
}

} // namespace lp
