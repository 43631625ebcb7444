// Every dialog from the keyboard alone: Tab goes round all of its controls once, and each push
// button has an Alt letter of its own.

#include "main/every_window.h"
#include "widgets/keyboard_checks.h"

namespace lp {
namespace {

TEST(Keyboard, EveryDialogCanBeWalkedWithTabAndHasAltLetters) {
    testing::RuleTestHost host;
    ServiceTable folders;
    for (const testing::WindowCase& c : testing::everyDialog(host, folders)) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<QWidget> dialog = c.make();
        testing::expectTabCyclesThroughEveryControl(*dialog);
        testing::expectButtonMnemonics(*dialog);
    }
}

} // namespace
} // namespace lp
