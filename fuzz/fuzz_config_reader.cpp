// Any bytes as a configuration file: the reader must end without crashing, hanging or allocating
// absurdly, leave the table's counts within its arrays, and whatever it read must write and read
// back to the very same file image.

#include "globals/config_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

void checkCounts(const lp::ServiceTable& table) {
    std::int32_t users = 0;
    for (const lp::rServiceRules& service : table.services) {
        if (service.serviceid == lp::kOtherService)
            require(service.othernum == ++users);
        const lp::RuleList& list = service.rulelist;
        require(list.rulecnt >= 0 && static_cast<std::size_t>(list.rulecnt) <= list.rules.size());
        for (const lp::RuleRec& rule : list.rules) {
            require(rule.condcnt >= 0 &&
                    static_cast<std::size_t>(rule.condcnt) <= rule.conds.size());
            require(rule.actioncnt >= 0 &&
                    static_cast<std::size_t>(rule.actioncnt) <= rule.actions.size());
        }
    }
    require(users == table.customCount);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto quiet = [](const std::string&) {};
    lp::ServiceTable table;
    lp::ReadConfigContent(std::string(reinterpret_cast<const char*>(data), size), table, quiet);
    checkCounts(table);

    const std::string image = lp::FormatConfigFile(table);
    lp::ServiceTable again;
    require(lp::ReadConfigContent(image, again, quiet) == 0);
    require(!again.setAsideBeforeSave);
    require(lp::FormatConfigFile(again) == image);
    return 0;
}
