// Every dialog from the keyboard alone: Tab goes round all of its controls once, and each push
// button has an Alt letter of its own.

#include "main/about.h"
#include "main/additional.h"
#include "main/addservice.h"
#include "main/rule_test_host.h"
#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/path.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"
#include "widgets/keyboard_checks.h"

#include <functional>
#include <memory>

namespace lp {
namespace {

TEST(Keyboard, EveryDialogCanBeWalkedWithTabAndHasAltLetters) {
    testing::RuleTestHost host;
    host.addFolder({{"first", true}});
    ServiceTable folders;
    folders.services = host.table.services;
    auto wizardOnPage = [&host](bool second) {
        ruleEditRequest() = {false, -1};
        auto wizard = std::make_unique<TfrmRule>(host);
        if (second)
            wizard->btnNextClick();
        return std::unique_ptr<QWidget>(std::move(wizard));
    };
    const struct {
        const char* what;
        std::function<std::unique_ptr<QWidget>()> make;
    } cases[] = {
        {"wizard, first page", [&] { return wizardOnPage(false); }},
        {"wizard, second page", [&] { return wizardOnPage(true); }},
        {"folder dialog", [&] { return std::make_unique<TfrmAddService>(folders, true, 0); }},
        {"path",
         [] {
             exchange().pathTarget = "rMove";
             exchange().currentText = "specified";
             return std::make_unique<TfrmPath>();
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<QWidget> dialog = c.make();
        testing::expectTabCyclesThroughEveryControl(*dialog);
        testing::expectButtonMnemonics(*dialog);
    }
}

} // namespace
} // namespace lp
