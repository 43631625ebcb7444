#pragma once
// A stand-in for the main window as the rule list panel and the rule wizard see it: a real service
// table, a configuration file in a temporary folder, and a rule list filled the way the main window
// fills it.

#include "globals/app_globals.h"
#include "globals/config_file.h"
#include "main/rulelist.h"
#include "ruledef/rule_panel_host.h"
#include "support/rule_action.h"
#include "widgets/check_list_box.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace lp::testing {

class RuleTestHost : public RulePanelHost {
public:
    RuleTestHost() : path_(dir_.filePath(QStringLiteral("bxconf.ini")).toStdString()) {}

    int selectedServiceLine() const override { return line; }
    rServiceRules* currentServiceRecord() override { return findUserService(table, line); }

    void BuildRuleLists(std::uint8_t id) override {
        if (id != kOtherService || panel == nullptr)
            return;
        TCheckListBox& list = *panel->clRuleList;
        list.clearLines();
        if (const rServiceRules* service = currentServiceRecord()) {
            for (int i = 0; i < service->rulelist.rulecnt; ++i) {
                const RuleRec& rule = service->rulelist.rules[static_cast<std::size_t>(i)];
                list.setChecked(list.addLine(QString::fromStdString(rule.rulename)), rule.enabled);
            }
        }
        if (list.count() > 0) {
            list.setCurrentRow(0);
            panel->SetButtons();
        } else {
            for (QPushButton* button :
                 {panel->btnEdit, panel->btnDelete, panel->btnMoveUp, panel->btnMoveDown})
                button->setEnabled(false);
        }
    }

    bool saveConfiguration() override {
        ++saves;
        return WriteConfigFile(path_, table) == 0;
    }

    // The table as the configuration file holds it now.
    ServiceTable saved() const {
        ServiceTable read;
        ReadConfigFile(path_, read, [](const std::string&) {});
        return read;
    }

    // A user-defined folder with rules of these names, enabled as given.
    void addFolder(const std::vector<std::pair<std::string, bool>>& rules) {
        rServiceRules service;
        service.serviceid = kOtherService;
        service.othername = "folder";
        service.sharedir = "/tmp/in";
        service.othernum = ++table.customCount;
        for (const auto& [name, enabled] : rules) {
            RuleRec rule;
            rule.rulename = name;
            rule.enabled = enabled;
            rule.actions.push_back(test::Deleting());
            rule.actioncnt = 1;
            service.rulelist.rules.push_back(rule);
        }
        service.rulelist.rulecnt = static_cast<std::int32_t>(rules.size());
        table.services.push_back(service);
    }

    ServiceTable table;
    int line = 0;
    int saves = 0;
    TfrSwapRules* panel = nullptr;

private:
    QTemporaryDir dir_;
    std::string path_;
};

// The names of a service's rules, in order, up to rulecnt.
inline std::vector<std::string> ruleNames(const rServiceRules& service) {
    std::vector<std::string> names;
    for (int i = 0; i < service.rulelist.rulecnt; ++i)
        names.push_back(service.rulelist.rules[static_cast<std::size_t>(i)].rulename);
    return names;
}

} // namespace lp::testing
