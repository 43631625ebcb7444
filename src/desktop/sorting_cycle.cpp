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

void DesktopSortingCycle::operator()(ServiceTable& table, bool firstCycle) const noexcept {
    try {
        const bool sayProblems = !shared_->optionsSaid;
        shared_->optionsSaid = true;
        const StoredOptions options = ReadStoredOptions(
            *openSettingsStoreForThisThread(), [sayProblems](const std::string& message) {
                if (sayProblems)
                    qCWarning(lcDesktop).noquote() << LogLineOf(message);
            });
        LoggingEnvironment logging(shared_->system, shared_->log);
        runMonitorCycle(table, firstCycle, options.policy, logging, &shared_->memory);
    } catch (const std::exception& error) {
        // Out of memory, most likely, outside any service's turn (making room for the services'
        // memories, say): the next cycle tries again.
        LogCaught("the sorting cycle", error.what());
    } catch (...) {
        LogCaught("the sorting cycle", nullptr);
    }
}

} // namespace lp
