#pragma once
// The monitor cycle away from the window's thread, so that the window, the tray menu and the
// session manager are answered while a file is copied. The thread owns what the cycles remember:
// each folder's known files and pending retries. The window hands it a copy of the table at each
// cycle's start, so an edit made meanwhile counts from the next cycle, and the known files of a
// folder that was just added or ticked, listed at that moment.

#include "engine/stopped_files.h"
#include "engine/undo.h"
#include "globals/records.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class QThread;

namespace lp {

// One pass over every service of the table; firstCycle is true only for the run's first pass.
using MonitorCycle = std::function<void(ServiceTable& table, bool firstCycle)>;

// Lists every enabled folder of table now and records its files as known, acting on nothing: what
// the folder holds afterwards is new to the next cycle. Gives back the listed records.
ServiceTable ListFoldersNow(const ServiceTable& table);

// Notes files whose operations a stopped run left undone (found at start) with the stopped ones,
// so that the next start's cycles take them for new ones.
void NoteFilesToSortAgain(const std::vector<std::string>& files);

// An operation that has run long enough to be told of: what it does and how far it has come.
struct OperationProgress {
    std::string source;
    std::string destination; // the path of the copy
    std::string folder;      // the folder and rule it is done for
    std::string rule;
    bool moving = false;
    int percent = 0;

    // Nothing long is under way: the default, told once an operation has ended.
    bool underWay() const { return !source.empty(); }
    // "Copying song.flac to /media/usb/Music: 45%"; empty when nothing is under way.
    QString text() const;
};

// A copy of table whose services have no rules: a first cycle over it lists each folder and acts
// on nothing.
ServiceTable WithoutRules(const ServiceTable& table);

class CycleWorker;

// When the progress of an operation is told: once it has run quietStart, then at most once
// every spacing.
struct ProgressPace {
    std::chrono::milliseconds quietStart{1000};
    std::chrono::milliseconds spacing{250};
};

class CycleThread : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        OwnThread, // the program: each cycle runs on the thread
        Inline,    // tests of the window: start() runs the cycle before it returns
    };
    // stoppedPath keeps the files whose operations the program's end stopped, so that the next
    // start takes them for new ones; empty for none (see StoppedFilesPath).
    CycleThread(MonitorCycle cycle, Mode mode, QObject* parent = nullptr, ProgressPace pace = {},
                std::string stoppedPath = {});
    // Stops the copy under way, waits for the cycle to end, then ends the thread.
    ~CycleThread() override;

    // Starts a cycle over a copy of table; false, and nothing done, while one still runs, or a
    // job that sorts.
    bool start(const ServiceTable& table, bool firstCycle);
    // Whether a cycle, or a job that sorts, has started and not yet ended.
    bool running() const { return running_ || sortingJobs_ > 0; }

    // Runs job on the cycle thread, after the work queued there before it (the cycle in
    // progress), then done on the window's thread. A job that sorts (Sort Now carrying out its
    // operations) holds the cycles off as a cycle does: running() is true from this call until
    // it has ended, and cycleEnded follows its done; its copies tell their progress and stop at
    // the program's end as a cycle's do. Inline, both run before the call returns.
    void runJob(std::function<void()> job, std::function<void()> done, bool sorts = false);
    // Whether the program's end has stopped the copies: a job stops what it can too.
    bool stopping() const { return stop_->load(); }

    // The known files of the listed services replace what the cycles remember of them, from the
    // next cycle on; their retries start over.
    void adoptListing(const ServiceTable& listed);
    // The listed services' settings were changed to let more in: what they let in at the listing
    // is known from then on (see KnowFilesLetInNow), and what arrives later is new.
    void knowLetIn(const ServiceTable& listed);
    // An undo put a file back or took one away: the known files follow, so that the next cycle
    // does not take the file for a new one.
    void recordUndo(const ActivityEntry& undone);
    // Files seen to by hand (Sort Now) that are still in their folder: known from the next cycle
    // on, so that a cycle that had not listed them yet does not sort them a second time.
    // placed: files the user's sort put in their folder itself (see RecordFilesPlaced).
    void recordKnown(std::vector<SeenFile> files, std::vector<SeenFile> placed = {});
    // The names the cycles know in folder (whole path of a watched folder), by what the last
    // cycle left and what was listed since. Only for a job: it reads the cycle thread's memory.
    std::set<std::string> knownInFolder(const std::string& folder) const;
    // What the cycles noted the rules of folder put in it themselves (see
    // rServiceRules::renamedInPlace); called on the cycle thread.
    std::vector<filerec> placedInFolder(const std::string& folder) const;
    // Blocks until the cycle in progress has ended.
    void waitForCycle();
    // Stops the copy under way and every later one, for good: each fails and leaves nothing
    // behind, its source where it was. Renames and deletes are not stopped; they take no time.
    void stopCopies() { stop_->store(true); }

signals:
    // A cycle has ended; delivered on the window's thread.
    void cycleEnded();
    // An operation that has run for more than a second says what it does and how far it has
    // come; one not under way once it has ended.
    void progress(const lp::OperationProgress& now);

private:
    void finished();
    void post(std::function<void()> job); // runs job on the cycle thread, in order
    void runJobs();                       // on the cycle thread
    void wakeWindow();                    // from the cycle thread: deliver() on the window's
    void deliver();

    Mode mode_;
    bool running_ = false;
    int sortingJobs_ = 0; // window's thread only
    QThread* thread_ = nullptr;
    CycleWorker* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    std::mutex mutex_;                         // guards the four below
    std::deque<std::function<void()>> jobs_;   // for the cycle thread
    std::vector<OperationProgress> reports_;   // for the window's thread
    std::vector<std::function<void()>> dones_; // for the window's thread, in order
    int cyclesEnded_ = 0;                      // for the window's thread
};

} // namespace lp

Q_DECLARE_METATYPE(lp::OperationProgress)
