#pragma once
// Running the rules of one folder as a simulation and as a real cycle, for tests that compare
// what the one foresees with what the other does.

#include "engine/headless_run.h"
#include "engine/monitor_cycle.h"
#include "engine/operation_report.h"
#include "recording_environment.h"
#include "support/rule_action.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lp::test {

inline ruleactionrec action(std::uint8_t kind, const std::string& folder = {},
                            const std::string& program = {}) {
    return MakeAction(kind, folder, {program, "mfile"});
}

inline RuleRec ruleOf(std::vector<ruleactionrec> actions) {
    RuleRec rule;
    rule.enabled = true;
    rule.mcond = NewFile;
    rule.actions = std::move(actions);
    rule.actioncnt = static_cast<std::int32_t>(rule.actions.size());
    return rule;
}

inline ServiceTable serviceOver(const std::string& folder, const std::vector<RuleRec>& rules) {
    ServiceTable table;
    rServiceRules service;
    service.enabled = true;
    service.sharedir = folder;
    service.rulelist.rules = rules;
    service.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
    table.services = {service};
    return table;
}

inline std::vector<std::string>
simulatedLines(ServiceTable table, const SortingPolicy& policy = {},
               const TrashMover& foreseeTrash = SimulatingEnvironment::TakesAll()) {
    RecordingEnvironment real;
    std::vector<std::string> lines;
    EXPECT_EQ(RunSimulation(
                  table, policy, real, [&](const std::string& line) { lines.push_back(line); },
                  foreseeTrash),
              0);
    EXPECT_TRUE(real.launches.empty()) << "a simulation starts nothing";
    return lines;
}

// What a verbose run prints for a cycle in which, as in a simulation, every entry is new.
inline std::vector<std::string> performedLines(ServiceTable table,
                                               const SortingPolicy& policy = {}) {
    for (rServiceRules& service : table.services)
        service.knownready = true;
    RecordingEnvironment real;
    std::vector<std::string> lines;
    ReportingEnvironment reporting(real, [&](const std::string& line) { lines.push_back(line); });
    runMonitorCycle(table, false, policy, reporting);
    return lines;
}

} // namespace lp::test
