#include "cycle_thread.h"

#include "engine/counted.h"
#include "engine/first_listing.h"
#include "engine/monitor_cycle.h"
#include "engine/placed_files.h"
#include "engine/stopped_files.h"
#include "engine/undo.h"
#include "log_categories.h"
#include "platform/copy_watch.h"
#include "sorting_cycle.h"

#include <QThread>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <utility>
#include <vector>

namespace lp {

namespace {

bool sameFolderRecord(const rServiceRules& a, const rServiceRules& b) {
    return a.serviceid == b.serviceid && a.sharedir == b.sharedir;
}

// What the cycles remember of a service goes with it into the next cycle's copy of the table.
void carryMemory(rServiceRules& from, rServiceRules& to) {
    to.knownready = from.knownready;
    to.knowncnt = from.knowncnt;
    to.knownfiles = std::move(from.knownfiles); // moved, not copied: the quiet turn knows it so
    to.retries = std::move(from.retries);
    to.unlistedSinceStart = std::move(from.unlistedSinceStart);
    to.knownLevels = from.knownLevels;
    to.knownExclusions = std::move(from.knownExclusions);
    from.knownready = false;
}

// The record of remembered that stands for service: the one at its place when it watches the same
// folder (a name or an exclusion changed), else the one of its name and folder (a service before
// it was added or removed).
rServiceRules* rememberedFor(const rServiceRules& service, std::size_t position,
                             std::vector<rServiceRules>& remembered) {
    if (position < remembered.size() && remembered[position].knownready &&
        sameFolderRecord(remembered[position], service))
        return &remembered[position];
    for (rServiceRules& candidate : remembered)
        if (candidate.knownready && sameFolderRecord(candidate, service) &&
            candidate.othername == service.othername)
            return &candidate;
    return nullptr;
}

// Hears the cycle's copies: stops them when asked, and tells the progress of a long one.
class CopyReporter {
public:
    CopyReporter(const std::atomic<bool>& stop, ProgressPace pace,
                 std::function<void(const OperationProgress&)> report)
        : stop_(stop), pace_(pace), report_(std::move(report)) {}

    bool step(const platform::CopyStep& step) {
        if (step.ended) {
            // Whether done or failed, it is no longer under way; nothing is left to stop.
            finish();
            return true;
        }
        if (stop_.load()) {
            if (std::find(stopped_.begin(), stopped_.end(), step.source) == stopped_.end())
                stopped_.push_back(step.source);
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (step.source != source_ || step.destination != destination_) {
            source_ = step.source;
            destination_ = step.destination;
            started_ = now;
        }
        if (step.done >= step.total) {
            finish();
            return true;
        }
        if (now - started_ < pace_.quietStart || (told_ && now - lastTold_ < pace_.spacing))
            return true;
        const auto percent = step.total == 0 ? 100 : static_cast<int>(step.done * 100 / step.total);
        report_({step.source, step.destination, step.folder, step.rule, step.moving, percent});
        told_ = true;
        lastTold_ = now;
        return true;
    }

    // The operation told about has ended, done or failed: the tooltip goes back to what it was.
    void finish() {
        if (told_)
            report_({});
        told_ = false;
        source_.clear();
        destination_.clear();
    }

    // The sources of the copies stopped since the last call.
    std::vector<std::string> takeStopped() { return std::exchange(stopped_, {}); }

private:
    const std::atomic<bool>& stop_;
    ProgressPace pace_;
    std::function<void(const OperationProgress&)> report_;
    std::string source_, destination_;
    std::chrono::steady_clock::time_point started_, lastTold_;
    bool told_ = false;
    std::vector<std::string> stopped_;
};

void noteStoppedFiles(const std::string& path, const std::vector<std::string>& files) {
    if (!AddStoppedFiles(path, files))
        qCWarning(lcDesktop).noquote()
            << "could not note the stopped operations in" << QString::fromStdString(path);
}

} // namespace

void NoteFilesToSortAgain(const std::vector<std::string>& files) {
    noteStoppedFiles(StoppedFilesPath(), files);
}

QString OperationProgress::text() const {
    if (!underWay())
        return QString();
    const std::filesystem::path from(source);
    const std::filesystem::path to(destination);
    return QStringLiteral("%1 %2 to %3: %4%")
        .arg(moving ? QStringLiteral("Moving") : QStringLiteral("Copying"),
             QString::fromStdString(from.filename().string()),
             QString::fromStdString(to.parent_path().string()), QString::number(percent));
}

ServiceTable WithoutRules(const ServiceTable& table) {
    ServiceTable ruleless;
    ruleless.services = table.services;
    for (rServiceRules& service : ruleless.services)
        service.rulelist = {};
    return ruleless;
}

ServiceTable ListFoldersNow(const ServiceTable& table) {
    ServiceTable listed;
    listed.services = table.services;
    // A ruleless first cycle lists and acts on nothing; it needs none of the cycles' memory.
    RecordFirstListing(listed, [](ServiceTable& listing) {
        SystemEnvironment system = DesktopEnvironment();
        runMonitorCycle(listing, true, {}, system);
    });
    return listed;
}

// Lives on the cycle thread; everything it holds is touched there only.
class CycleWorker : public QObject {
public:
    CycleWorker(MonitorCycle cycle, std::shared_ptr<std::atomic<bool>> stop, ProgressPace pace,
                std::function<void(const OperationProgress&)> report, std::string stoppedPath)
        : cycle_(std::move(cycle)), stop_(std::move(stop)),
          reporter_(*stop_, pace, std::move(report)), stoppedPath_(std::move(stoppedPath)),
          stoppedLastRun_(ReadStoppedFiles(stoppedPath_)),
          // A cycle thread that notes no stopped files (one of a test, run inline) notes no
          // placed files either: both are the run's notes for the next.
          placedPath_(stoppedPath_.empty() ? std::string() : PlacedFilesPath()) {}

    void run(ServiceTable table, bool firstCycle) {
        for (std::size_t s = 0; s < table.services.size(); ++s) {
            rServiceRules& service = table.services[s];
            rServiceRules* kept = rememberedFor(service, s, remembered_.services);
            // What the rules put in their own folder, and the sub-folders said to be unreadable,
            // stay whatever listing is taken up: else each cycle would rename or move its own
            // work again, or say the same folder again.
            if (kept) {
                service.renamedInPlace = std::move(kept->renamedInPlace);
                service.unlistedSubfolders = std::move(kept->unlistedSubfolders);
                service.walkedSubfolders = std::move(kept->walkedSubfolders);
            }
            if (rServiceRules* from = rememberedFor(service, s, adopted_))
                carryMemory(*from, service);
            else if (kept)
                carryMemory(*kept, service);
        }
        adopted_.clear();
        if (runs_ == 0)
            ReadPlacedFiles(placedPath_, table);
        if (cycle_) {
            const platform::WatchCopies watch(
                [this](const platform::CopyStep& step) { return reporter_.step(step); });
            cycle_(table, firstCycle);
        }
        reporter_.finish();
        // The first cycle is the start's listing: what the last run stopped is new to the next.
        ++runs_;
        if (runs_ == 1)
            ForgetKnownFiles(table, stoppedLastRun_);
        if (runs_ == 2 && !stoppedLastRun_.empty())
            std::filesystem::remove(stoppedPath_, ignored_);
        noteStoppedFiles(stoppedPath_, reporter_.takeStopped());
        NotePlacedFiles(placedPath_, table, placedNoted_);
        remembered_ = std::move(table);
    }

    // A job that sorts, its copies heard as a cycle's are: their progress told, and stopped at
    // the program's end. A file whose copy was stopped is not noted for the next start: it was
    // chosen in Sort Now, not found new, and Sort Now takes it up again.
    void runSorting(const std::function<void()>& job) {
        {
            const platform::WatchCopies watch(
                [this](const platform::CopyStep& step) { return reporter_.step(step); });
            job();
        }
        reporter_.finish();
        reporter_.takeStopped();
    }

    void adopt(ServiceTable listed) {
        for (rServiceRules& service : listed.services) {
            if (!service.knownready)
                continue; // not listed: off, or its folder could not be read
            service.retries.clear();
            std::erase_if(adopted_,
                          [&](const rServiceRules& old) { return sameFolderRecord(old, service); });
            adopted_.push_back(std::move(service));
        }
    }

    void knowLetIn(const ServiceTable& listed) {
        for (const rServiceRules& service : listed.services)
            for (rServiceRules& kept : remembered_.services)
                if (sameFolderRecord(kept, service))
                    KnowFilesLetInNow(kept, service);
    }

    void recordUndo(const ActivityEntry& undone) {
        changeKnownFiles([&](ServiceTable& table) { RecordUndoInKnownFiles(table, undone); });
    }

    void recordKnown(const std::vector<SeenFile>& files, const std::vector<SeenFile>& placed) {
        changeKnownFiles([&](ServiceTable& table) {
            RecordFilesKnown(table, files);
            RecordFilesPlaced(table, placed);
        });
    }

    std::set<std::string> knownInFolder(const std::string& folder) const {
        std::set<std::string> names;
        const auto add = [&](const rServiceRules& service) {
            if (service.sharedir == folder && service.knownready)
                for (const filerec& file : Counted(service.knownfiles, service.knowncnt))
                    names.insert(file.name);
        };
        std::ranges::for_each(remembered_.services, add);
        std::ranges::for_each(adopted_, add);
        return names;
    }

    std::vector<filerec> placedInFolder(const std::string& folder) const {
        for (const rServiceRules& service : remembered_.services)
            if (service.sharedir == folder)
                return service.renamedInPlace;
        return {};
    }

    // What the last cycle left known and what was listed since, both.
    void changeKnownFiles(const std::function<void(ServiceTable&)>& change) {
        change(remembered_);
        ServiceTable adopted;
        adopted.services = std::move(adopted_);
        change(adopted);
        adopted_ = std::move(adopted.services);
    }

private:
    MonitorCycle cycle_;
    std::shared_ptr<std::atomic<bool>> stop_;
    CopyReporter reporter_;
    std::string stoppedPath_;
    std::vector<std::string> stoppedLastRun_;
    std::string placedPath_, placedNoted_;
    int runs_ = 0;
    std::error_code ignored_;            // a record that cannot be removed is read again: no harm
    ServiceTable remembered_;            // the last cycle's table, with what it left known
    std::vector<rServiceRules> adopted_; // listed since, taken up by the next cycle
};

CycleThread::CycleThread(MonitorCycle cycle, Mode mode, QObject* parent, ProgressPace pace,
                         std::string stoppedPath)
    : QObject(parent), mode_(mode) {
    auto reportToWindow = [this](const OperationProgress& now) {
        if (mode_ == Mode::Inline) {
            emit progress(now);
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            reports_.push_back(now);
        }
        wakeWindow();
    };
    worker_ = new CycleWorker(std::move(cycle), stop_, pace, std::move(reportToWindow),
                              std::move(stoppedPath));
    if (mode_ == Mode::Inline)
        return;
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("monitor cycle"));
    worker_->moveToThread(thread_);
    thread_->start();
}

CycleThread::~CycleThread() {
    // The program ends: a long copy is stopped rather than waited for, leaving nothing half done.
    stopCopies();
    if (thread_) {
        thread_->quit(); // the cycle in progress ends first; work not yet begun is dropped
        thread_->wait();
    }
    delete worker_;
}

// Work and results cross between the threads through queues under a lock of ours, the queued
// calls only waking the other side: so the hand-over of a table is plain to see, also to a race
// detector that does not know Qt's own locks.
void CycleThread::post(std::function<void()> job) {
    if (mode_ == Mode::Inline) {
        job();
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    QMetaObject::invokeMethod(
        worker_, [this] { runJobs(); }, Qt::QueuedConnection);
}

void CycleThread::runJobs() {
    for (;;) {
        std::function<void()> job;
        {
            const std::lock_guard lock(mutex_);
            if (jobs_.empty())
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

void CycleThread::wakeWindow() {
    QMetaObject::invokeMethod(
        this, [this] { deliver(); }, Qt::QueuedConnection);
}

void CycleThread::deliver() {
    std::vector<OperationProgress> reports;
    std::vector<std::function<void()>> dones;
    int ended = 0;
    {
        const std::lock_guard lock(mutex_);
        reports.swap(reports_);
        dones.swap(dones_);
        std::swap(ended, cyclesEnded_);
    }
    for (const OperationProgress& now : reports)
        emit progress(now);
    for (const auto& done : dones)
        done();
    for (; ended > 0; --ended)
        finished();
}

bool CycleThread::start(const ServiceTable& table, bool firstCycle) {
    if (running())
        return false;
    running_ = true;
    if (mode_ == Mode::Inline) {
        worker_->run(table, firstCycle);
        finished();
        return true;
    }
    post([this, copy = table, firstCycle]() mutable {
        worker_->run(std::move(copy), firstCycle);
        {
            const std::lock_guard lock(mutex_);
            ++cyclesEnded_;
        }
        wakeWindow();
    });
    return true;
}

void CycleThread::runJob(std::function<void()> job, std::function<void()> done, bool sorts) {
    if (sorts)
        ++sortingJobs_;
    std::function<void()> ended = [this, done = std::move(done), sorts] {
        if (done)
            done();
        if (sorts) {
            --sortingJobs_;
            emit cycleEnded();
        }
    };
    if (sorts)
        job = [this, job = std::move(job)] { worker_->runSorting(job); };
    if (mode_ == Mode::Inline) {
        job();
        ended();
        return;
    }
    post([this, job = std::move(job), ended = std::move(ended)]() mutable {
        job();
        {
            const std::lock_guard lock(mutex_);
            dones_.push_back(std::move(ended));
        }
        wakeWindow();
    });
}

void CycleThread::finished() {
    running_ = false;
    emit cycleEnded();
}

void CycleThread::adoptListing(const ServiceTable& listed) {
    post([this, listed] { worker_->adopt(listed); });
}

void CycleThread::knowLetIn(const ServiceTable& listed) {
    post([this, listed] { worker_->knowLetIn(listed); });
}

void CycleThread::recordUndo(const ActivityEntry& undone) {
    post([this, undone] { worker_->recordUndo(undone); });
}

void CycleThread::recordKnown(std::vector<SeenFile> files, std::vector<SeenFile> placed) {
    post([this, files = std::move(files), placed = std::move(placed)] {
        worker_->recordKnown(files, placed);
    });
}

std::set<std::string> CycleThread::knownInFolder(const std::string& folder) const {
    return worker_->knownInFolder(folder);
}

std::vector<filerec> CycleThread::placedInFolder(const std::string& folder) const {
    return worker_->placedInFolder(folder);
}

void CycleThread::waitForCycle() {
    if (mode_ == Mode::Inline || !running())
        return;
    // Queued behind the cycle in progress, so it returns once that has ended.
    QMetaObject::invokeMethod(
        worker_, [] {}, Qt::BlockingQueuedConnection);
}

} // namespace lp
