// The main window's life in the tray: showing it, the close request that hides it, pausing,
// exit, and the end of the desktop session.

#include "activity_window.h"
#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "desktop/stored_options.h"
#include "desktop/system_info.h"
#include "exit_wait.h"
#include "globals/app_globals.h"
#include "log_category.h"
#include "mainwindow.h"
#include "operation_notices.h"
#include "tray_icon.h"
#include "widgets/frame_memory.h"
#include "widgets/open_dialogs.h"
#include "widgets/ui_seams.h"

#include <QCloseEvent>
#include <QTimer>

namespace lp {

bool TfrmMain::readStoredPause() {
    // Silent: a value not understood is said where the program reads the options at its start.
    return ReadStoredOptions(settingsStore(), {}).paused;
}

void TfrmMain::setPaused(bool paused) {
    paused_ = paused;
    showPaused();
    // Resuming waits a full interval, as after any cycle.
    if (paused)
        Timer1->stop();
    else if (!quitting_)
        Timer1->start();
    StoredOptions options = ReadStoredOptions(settingsStore(), {});
    options.paused = paused;
    if (!WriteStoredOptions(settingsStore(), options))
        showWarning(this, settingsStore().notWrittenMessage(), std::nullopt);
}

void TfrmMain::showPaused() {
    tray->showPaused(paused_);
    menus.PauseSorting2->setChecked(paused_);
    setWindowTitle(paused_ ? QStringLiteral("Larchpost (paused)") : QStringLiteral("Larchpost"));
}

void TfrmMain::PauseSorting1Click() {
    setPaused(tray->PauseSorting1->isChecked());
}

void TfrmMain::copyGeometryToSettings() {
    RegistrySettings& settings = app().registry;
    // The frame's corner, where the window is put back at the next start, shown or hidden.
    settings.Left = pos().x();
    settings.Top = pos().y();
    // The outer size, frame included, the same whether the window is shown or hidden in the
    // tray. A window not yet shown in this run keeps the size measured before.
    if (const std::optional<QSize> outer = frameMemory_->outerSize()) {
        settings.Width = outer->width();
        settings.Height = outer->height();
    }
}

bool TfrmMain::storeWindowState() {
    if (isMinimized())
        return true; // a minimised window's place says nothing about where it is shown
    if (isMaximized())
        app().registry.Status = 1; // the stored geometry keeps the normal window's values
    else
        copyGeometryToSettings();
    return WriteSettings();
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    // Without a notification area a hidden window could never be brought back, so closing it
    // ends the program.
    canClose = quitting_ || !trayAvailable();
    if (!storeWindowState()) {
        if (quitting_) {
            // No box while the program ends: nobody might be there to answer it.
            qCWarning(lcMain).noquote() << settingsStore().notWrittenMessage();
        } else {
            showWarning(this, settingsStore().notWrittenMessage(), std::nullopt);
            canClose = false;
            return; // the window stays as it is
        }
    }
    if (canClose)
        return;
    AppGlobals& g = app();
    --g.visibleCount;
    if (g.visibleCount == 0)
        TrimWorkingSet();
    hide();
    trimAfterNextCycle_ = true;
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    // The program already ends as the cycle does (the end of the session has stopped its copies,
    // if it came): closing takes only the window away, and the window that says what is being
    // finished stays.
    if (endAfterCycle_ && cycles->running()) {
        event->ignore();
        hide();
        return;
    }
    // The end of the session stops the work at once; the close box of a window without a tray
    // ends the program as "Exit Larchpost" does, once the operation under way is done.
    if (quitting_ || !cycles->running()) {
        event->accept();
        emit endRequested();
        return;
    }
    event->ignore();
    hide();
    endWhenWorkIsDone();
}

void TfrmMain::comeForward() {
    if (isMinimized())
        showNormal();
    // Shown but perhaps covered by other windows; a window hidden in the tray stays there.
    if (isVisible()) {
        raise();
        activateWindow();
    }
    raiseOpenDialog();
}

void TfrmMain::Details1Click() {
    showNormal();
    raise();
    activateWindow();
    raiseOpenDialog();
    ++app().visibleCount;
}

// The desktop's convention: a click on the icon shows the window, or hides it in the tray (as its
// close box does) when it is shown.
void TfrmMain::trayIconClick() {
    if (isVisible() && !isMinimized())
        close();
    else
        Details1Click();
}

// A double click begins with a click, which may just have hidden the window: the window ends up
// shown, counted once.
void TfrmMain::trayIconDoubleClick() {
    if (isVisible() && !isMinimized())
        comeForward();
    else
        Details1Click();
}

void TfrmMain::ViewBrindleboxWindow1Click() {
    Details1Click();
}

void TfrmMain::ExitBrindlebox1Click() {
    // Open dialogs end as their Cancel would, so that nothing half-edited is stored and the box
    // below can be answered.
    closeOpenDialogs();
    copyGeometryToSettings();
    // The program ends even when the position cannot be kept: a user must always be able to quit.
    if (!WriteSettings())
        showWarning(this, settingsStore().notWrittenMessage(), std::nullopt);
    if (!cycles->running()) {
        emit endRequested();
        return;
    }
    endWhenWorkIsDone();
}

void TfrmMain::endWhenWorkIsDone() {
    // The operation under way is finished first, so that nothing is left half done; no cycle
    // starts after it. A long one says what it does and may be stopped instead.
    quitting_ = true;
    Timer1->stop();
    endAfterCycle_ = true;
    if (progress_.underWay())
        showExitWait();
}

void TfrmMain::showExitWait() {
    if (!exitWait_)
        exitWait_ = new ExitWait(this, [this] { cycles->stopCopies(); });
    exitWait_->showProgress(progress_.text());
    // Brought forward once; the progress that follows changes only its text.
    if (exitWait_->isVisible())
        return;
    exitWait_->show();
    exitWait_->raise();
    exitWait_->activateWindow();
}

void TfrmMain::operationProgress(const OperationProgress& now) {
    // An operation began or ended: what failed before it is told now, not when the cycle ends,
    // which may be long after a large copy.
    if (notices_ && (now.source != progress_.source || now.destination != progress_.destination))
        notices_->look();
    progress_ = now;
    tray->showProgress(now.text());
    if (activityWindow_)
        activityWindow_->showProgress(now);
    if (endAfterCycle_ && now.underWay())
        showExitWait();
}

void TfrmMain::WMQUERYENDSESSION() {
    // The session manager asks for this on a checkpoint and on a log-out that may yet be
    // cancelled as well as at the real end, so this stores and changes nothing else: monitoring
    // ends only when the application really quits. No box: the session manager waits meanwhile.
    if (!storeWindowState())
        qCWarning(lcMain).noquote() << settingsStore().notWrittenMessage();
}

void TfrmMain::applicationQuitting() {
    quitting_ = true;
    Timer1->stop();
    // The session's end waits for nobody: a long copy stops at once and leaves nothing half
    // done, its source where it was.
    cycles->stopCopies();
}

} // namespace lp
