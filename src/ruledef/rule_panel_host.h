#pragma once
#include <cstdint>

namespace lp {

struct rServiceRules;

// What the rule list panel and the rule wizard need of the main window.
class RulePanelHost {
public:
    virtual ~RulePanelHost() = default;
    // The selected line of the folder list, -1 when none.
    virtual int selectedServiceLine() const = 0;
    // The record of the selected folder, or null (empty table, nothing selected).
    virtual rServiceRules* currentServiceRecord() = 0;
    // Refills the rule list panel with the current service record's rules.
    virtual void BuildRuleLists(std::uint8_t id) = 0;
    // Rewrites the configuration file; a failure is shown to the user. True when saved.
    virtual bool saveConfiguration() = 0;
};

} // namespace lp
