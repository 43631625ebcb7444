#include "cycle_thread.h"

#include "engine/first_listing.h"
#include "engine/monitor_cycle.h"
#include "engine/undo.h"
#include "sorting_cycle.h"

#include <QThread>
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

} // namespace

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
    explicit CycleWorker(MonitorCycle cycle) : cycle_(std::move(cycle)) {}

    void run(ServiceTable table, bool firstCycle) {
        for (std::size_t s = 0; s < table.services.size(); ++s) {
            rServiceRules& service = table.services[s];
            if (rServiceRules* from = rememberedFor(service, s, adopted_))
                carryMemory(*from, service);
            else if (rServiceRules* kept = rememberedFor(service, s, remembered_.services))
                carryMemory(*kept, service);
        }
        adopted_.clear();
        if (cycle_)
            cycle_(table, firstCycle);
        remembered_ = std::move(table);
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

    void recordUndo(const ActivityEntry& undone) {
        RecordUndoInKnownFiles(remembered_, undone);
        ServiceTable adopted;
        adopted.services = std::move(adopted_);
        RecordUndoInKnownFiles(adopted, undone);
        adopted_ = std::move(adopted.services);
    }

private:
    MonitorCycle cycle_;
    ServiceTable remembered_;            // the last cycle's table, with what it left known
    std::vector<rServiceRules> adopted_; // listed since, taken up by the next cycle
};

CycleThread::CycleThread(MonitorCycle cycle, Mode mode, QObject* parent)
    : QObject(parent), mode_(mode), worker_(new CycleWorker(std::move(cycle))) {
    if (mode_ == Mode::Inline)
        return;
    thread_ = new QThread(this);
    thread_->setObjectName(QStringLiteral("monitor cycle"));
    worker_->moveToThread(thread_);
    thread_->start();
}

CycleThread::~CycleThread() {
    if (thread_) {
        thread_->quit(); // the cycle in progress ends first: the loop takes no event meanwhile
        thread_->wait();
    }
    delete worker_;
}

bool CycleThread::start(const ServiceTable& table, bool firstCycle) {
    if (running_)
        return false;
    running_ = true;
    if (mode_ == Mode::Inline) {
        worker_->run(table, firstCycle);
        finished();
        return true;
    }
    QMetaObject::invokeMethod(
        worker_,
        [this, copy = table, firstCycle]() mutable {
            worker_->run(std::move(copy), firstCycle);
            QMetaObject::invokeMethod(this, &CycleThread::finished, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return true;
}

void CycleThread::finished() {
    running_ = false;
    emit cycleEnded();
}

void CycleThread::adoptListing(const ServiceTable& listed) {
    if (mode_ == Mode::Inline) {
        worker_->adopt(listed);
        return;
    }
    QMetaObject::invokeMethod(
        worker_, [this, listed] { worker_->adopt(listed); }, Qt::QueuedConnection);
}

void CycleThread::recordUndo(const ActivityEntry& undone) {
    if (mode_ == Mode::Inline) {
        worker_->recordUndo(undone);
        return;
    }
    QMetaObject::invokeMethod(
        worker_, [this, undone] { worker_->recordUndo(undone); }, Qt::QueuedConnection);
}

void CycleThread::waitForCycle() {
    if (mode_ == Mode::Inline || !running_)
        return;
    // Queued behind the cycle in progress, so it returns once that has ended.
    QMetaObject::invokeMethod(
        worker_, [] {}, Qt::BlockingQueuedConnection);
}

} // namespace lp
