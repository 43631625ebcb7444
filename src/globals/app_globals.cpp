#include "app_globals.h"

namespace lp {

AppGlobals& app() {
    static AppGlobals instance;
    return instance;
}

rServiceRules* findUserService(ServiceTable& table, int line) {
    if (line < 0)
        return nullptr;
    for (rServiceRules& service : table.services)
        if (service.serviceid == kOtherService && service.othernum == line + 1)
            return &service;
    return nullptr;
}

} // namespace lp
