#include "desktop_app.h"

#include "desktop/cycle_thread.h"
#include "desktop/fixed_formats.h"
#include "desktop/log_categories.h"
#include "desktop/registry_settings.h"
#include "desktop/settings_store.h"
#include "desktop/single_instance.h"
#include "engine/move_recovery.h"
#include "engine/passed_over_rules.h"
#include "globals/app_globals.h"
#include "globals/program_version.h"
#include "globals/startup.h"
#include "log_category.h"
#include "platform/problem.h"
#include "tray_icon.h"
#include "widgets/open_dialogs.h"
#include "widgets/ui_seams.h"

#include <QApplication>

namespace lp {

namespace {

constexpr char kAppName[] = "Larchpost";

void warn(const std::string& message) {
    qCWarning(lcMain).noquote() << LogLineOf(message);
    showWarning(nullptr, QString::fromStdString(message), std::nullopt);
}

} // namespace

void endProgramOnRequest(TfrmMain& window) {
    // Queued: the handler that asked finishes before the loop ends.
    QObject::connect(
        &window, &TfrmMain::endRequested, QCoreApplication::instance(),
        [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

int runDesktop(int argc, char** argv, const CommandLine& options, MonitorCycle cycle,
               SortNowWork sortNow) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppName));
    SetUpLogging(options.verbose);
    // The program lives in the tray: closing a box while the main window is hidden must not end
    // it. It ends through "Exit Larchpost", the close request without a tray, or the session.
    QApplication::setQuitOnLastWindowClosed(false);

    bool heldElsewhere = false;
    if (const Problem problem =
            CheckAppAlreadyRunning(QString::fromLatin1(kAppName), true, false, heldElsewhere)) {
        warn(*problem);
        return 1;
    }
    if (heldElsewhere)
        return 0;
    // Until the main window is there, a later start brings forward the box that holds up this
    // one (a configuration file that was not read whole, say), which other windows may cover.
    setActivationHandler(raiseOpenDialog);

    applyFixedFormats();
    AppGlobals& globals = app();
    // The application folder, the defaults, the configuration path and an empty table come first;
    // the file is read last. The stored settings do not depend on the file, so they follow.
    const ConfigStartResult config =
        StartConfiguration(globals, options, [](const std::string& message) {
            showWarning(nullptr, QString::fromStdString(message), std::nullopt);
        });
    if (config.refusal) {
        warn(*config.refusal);
        setActivationHandler({});
        releaseInstanceGuard();
        return 2;
    }
    // A failed rewrite is reported by the first save of the run.
    if (programKeyExists())
        ReadSettings();
    else if (!WriteSettings())
        qCWarning(lcMain).noquote()
            << "the settings file" << settingsStore().filePath() << "could not be written.";
    globals.versionLine = versionLine();
    for (const std::string& notice : PassedOverNotices(globals.table))
        qCWarning(lcMain).noquote() << LogLineOf(notice);
    // Before the main window's first listing, so that it sees each file where it belongs.
    NoteFilesToSortAgain(RecoverInterruptedOperations(
        [](const std::string& message) { qCWarning(lcMain).noquote() << LogLineOf(message); }));

    TfrmMain mainWindow(std::move(cycle), CycleThread::Mode::OwnThread);
    mainWindow.setSortNowWork(std::move(sortNow));
    endProgramOnRequest(mainWindow);
    setActivationHandler([&mainWindow] { mainWindow.comeForward(); });
    // Hidden in the tray only where there is a tray: elsewhere a hidden window could never be
    // reached again.
    const bool hidden = options.startHidden && trayAvailable();
    globals.visibleCount = hidden ? 0 : 1;
    if (!hidden)
        mainWindow.show();

    const int status = QApplication::exec();
    setActivationHandler({});
    releaseInstanceGuard();
    return status;
}

} // namespace lp
