#pragma once
// Every dialog of the program, made as its caller makes it, for checks that hold for all of them.

#include "main/about.h"
#include "main/additional.h"
#include "main/addservice.h"
#include "main/exit_wait.h"
#include "main/rule_test_host.h"
#include "main/sort_now_dialog.h"
#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/new_name.h"
#include "ruledef/path.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"

#include <functional>
#include <memory>
#include <vector>

namespace lp::testing {

struct WindowCase {
    const char* what;
    std::function<std::unique_ptr<QWidget>()> make;
};

// Sort Now on a preview made at once: one move to choose, or a folder that could not be listed
// (the dialog then offers only Close). The cycle thread goes with the dialog.
inline std::unique_ptr<QWidget> sortNowShowing(bool listed) {
    auto* cycles = new CycleThread({}, CycleThread::Mode::Inline);
    SortNowWork work;
    work.preview = [listed](const rServiceRules& folder) {
        SortNowPreview preview;
        preview.folder = folder;
        preview.listed = listed;
        if (listed) {
            SortNowLine line;
            line.file = "song.flac";
            line.ruleName = "Music";
            line.action = "move";
            line.values = {"/in/song.flac", "/music"};
            preview.lines = {line};
        }
        return preview;
    };
    rServiceRules folder;
    folder.othername = "Inbox";
    auto dialog = std::make_unique<TfrmSortNow>(*cycles, std::move(work), folder);
    cycles->setParent(dialog.get()); // deleted after the dialog's own destructor has run
    return dialog;
}

// The dialogs, the wizard on each page: host holds one folder with one rule, folders a copy of
// its table for the folder dialog. Both must outlive the cases.
inline std::vector<WindowCase> everyDialog(RuleTestHost& host, ServiceTable& folders) {
    host.addFolder({{"first", true}});
    folders.services = host.table.services;
    auto wizardOnPage = [&host](bool second) {
        ruleEditRequest() = {false, -1};
        auto wizard = std::make_unique<TfrmRule>(host);
        if (second)
            wizard->btnNextClick();
        return std::unique_ptr<QWidget>(std::move(wizard));
    };
    return {
        {"wizard, first page", [=] { return wizardOnPage(false); }},
        {"wizard, second page", [=] { return wizardOnPage(true); }},
        {"folder dialog",
         [&folders] { return std::make_unique<TfrmAddService>(folders, true, 0); }},
        {"path",
         [] {
             exchange().pathTarget = "rMove";
             exchange().currentText = "specified";
             return std::make_unique<TfrmPath>();
         }},
        {"new name",
         [] {
             exchange().currentText = "{taken.year}-{taken.month}-{taken.day} {name}.{ext}";
             return std::make_unique<TfrmNewName>();
         }},
        {"program",
         [] {
             exchange().currentText = "specified";
             return std::make_unique<TfrmLaunch>();
         }},
        {"file date",
         [] {
             exchange().daysValue = -1;
             return std::make_unique<TfrmDateSel>();
         }},
        {"file size",
         [] {
             exchange().sizeValue = -1;
             return std::make_unique<TfrmFileSize>();
         }},
        {"file count",
         [] {
             exchange().caption = "Enter File Count";
             exchange().prompt = "Enter file count:";
             exchange().currentText = "specified";
             return std::make_unique<TfrmInput>();
         }},
        {"options", [] { return std::make_unique<TfrmAdditional>(); }},
        {"about", [] { return std::make_unique<Tfrmabout>(); }},
        {"exit wait", [] { return std::make_unique<ExitWait>(nullptr, [] {}); }},
        {"Sort Now, a preview to choose from", [] { return sortNowShowing(true); }},
        {"Sort Now, a folder not listed", [] { return sortNowShowing(false); }},
    };
}

} // namespace lp::testing
