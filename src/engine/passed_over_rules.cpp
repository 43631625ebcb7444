#include "passed_over_rules.h"

#include "counted.h"
#include "file_selection.h"
#include "globals/quoted_value.h"
#include "monitor_cycle.h"

namespace lp {

std::vector<std::string> PassedOverNotices(const ServiceTable& table) {
    std::vector<std::string> notices;
    for (const rServiceRules& service : table.services)
        for (const RuleRec& rule : Counted(service.rulelist.rules, service.rulelist.rulecnt))
            if (const auto why = WhyPassedOver(rule); why && rule.enabled)
                notices.push_back(
                    "larchpost: the rule " + QuoteValue(rule.rulename) + " of " +
                    QuoteValue(ServiceName(service)) + " is passed over: " + *why +
                    ". It selects no file; the configuration file keeps it as it is.");
    return notices;
}

} // namespace lp
