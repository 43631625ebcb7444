#include "sorting_cycle.h"
#include "engine/logging_environment.h"
#include "engine/monitor_cycle.h"
#include "globals/log_sink.h"
#include "log_categories.h"
#include "platform/trash.h"
#include "registry_settings.h"
#include "settings_store.h"

namespace lp {

SystemEnvironment DesktopEnvironment() {
    return SystemEnvironment(platform::MoveToTrash);
}

DesktopSortingCycle::DesktopSortingCycle(std::string logPath)
    : shared_(std::make_shared<Shared>(std::move(logPath))) {}

SortingPolicy DesktopSortingCycle::Shared::policy() {
    const bool sayProblems = !optionsSaid;
    optionsSaid = true;
    return ReadStoredOptions(*openSettingsStoreForThisThread(),
                             [sayProblems](const std::string& message) {
                                 if (sayProblems)
                                     qCWarning(lcDesktop).noquote() << LogLineOf(message);
                             })
        .policy;
}

SortNowWork DesktopSortingCycle::sortNowWork() const {
    SortNowWork work;
    work.preview = [shared = shared_](const rServiceRules& folder) {
        return PreviewSortNow(folder, shared->policy(), shared->system,
                              platform::ForeseeTrashRefusal);
    };
    work.carryOut = [shared = shared_](const SortNowPreview& preview,
                                       const std::set<SortNowChoice>& chosen,
                                       const SortNowProgress& progress) {
        return CarryOutSortNow(preview, chosen, shared->policy(), shared->system, shared->log,
                               progress);
    };
    return work;
}

void DesktopSortingCycle::operator()(ServiceTable& table, bool firstCycle) const noexcept {
    try {
        const SortingPolicy policy = shared_->policy();
        LoggingEnvironment logging(shared_->system, shared_->log);
        runMonitorCycle(table, firstCycle, policy, logging, &shared_->memory);
    } catch (const std::exception& error) {
        // Out of memory, most likely, outside any service's turn (making room for the services'
        // memories, say): the next cycle tries again.
        LogCaught("the sorting cycle", error.what());
    } catch (...) {
        LogCaught("the sorting cycle", nullptr);
    }
}

} // namespace lp
