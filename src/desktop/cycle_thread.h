#pragma once
// The monitor cycle away from the window's thread, so that the window, the tray menu and the
// session manager are answered while a file is copied. The thread owns what the cycles remember:
// each folder's known files and pending retries. The window hands it a copy of the table at each
// cycle's start, so an edit made meanwhile counts from the next cycle, and the known files of a
// folder that was just added or ticked, listed at that moment.

#include "globals/records.h"

#include <QObject>
#include <functional>
#include <memory>

class QThread;

namespace lp {

struct ActivityEntry;

// One pass over every service of the table; firstCycle is true only for the run's first pass.
using MonitorCycle = std::function<void(ServiceTable& table, bool firstCycle)>;

// Lists every enabled folder of table now and records its files as known, acting on nothing: what
// the folder holds afterwards is new to the next cycle. Gives back the listed records.
ServiceTable ListFoldersNow(const ServiceTable& table);

// A copy of table whose services have no rules: a first cycle over it lists each folder and acts
// on nothing.
ServiceTable WithoutRules(const ServiceTable& table);

class CycleWorker;

class CycleThread : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        OwnThread, // the program: each cycle runs on the thread
        Inline,    // tests of the window: start() runs the cycle before it returns
    };
    CycleThread(MonitorCycle cycle, Mode mode, QObject* parent = nullptr);
    // Waits for the cycle in progress, then ends the thread.
    ~CycleThread() override;

    // Starts a cycle over a copy of table; false, and nothing done, while one still runs.
    bool start(const ServiceTable& table, bool firstCycle);
    bool running() const { return running_; }

    // The known files of the listed services replace what the cycles remember of them, from the
    // next cycle on; their retries start over.
    void adoptListing(const ServiceTable& listed);
    // An undo put a file back or took one away: the known files follow, so that the next cycle
    // does not take the file for a new one.
    void recordUndo(const ActivityEntry& undone);
    // Blocks until the cycle in progress has ended.
    void waitForCycle();

signals:
    // A cycle has ended; delivered on the window's thread.
    void cycleEnded();

private:
    void finished();

    Mode mode_;
    bool running_ = false;
    QThread* thread_ = nullptr;
    CycleWorker* worker_ = nullptr;
};

} // namespace lp
