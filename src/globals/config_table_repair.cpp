#include "config_table_repair.h"

namespace lp {

void RestoreTableInvariants(ServiceTable& table) {
    std::int32_t count = 0;
    for (rServiceRules& service : table.services)
        if (service.serviceid == kOtherService)
            service.othernum = ++count;
    table.customCount = count;
}

} // namespace lp
