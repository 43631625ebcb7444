// The wizard used as a person uses it: every value of a rule is given by pressing its link in the
// rule's sentence and answering the dialog that opens, and Finish then stores the whole rule.

#include "main/rule_test_host.h"
#include "param_dialog_test_support.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"
#include "widgets/check_list_box.h"
#include "widgets/param_list_box.h"

#include <QLabel>
#include <QTemporaryDir>

#include <map>

namespace lp {
namespace {

using namespace lp::testing;

// Answers each dialog through its controls, as typed by the user, and presses its OK button.
int answer(QDialog& dialog, const QString& moveTo, const QString& copyTo,
           std::map<QString, int>& opened) {
    const QString name = dialog.objectName();
    ++opened[name];
    if (name == "frmInput") {
        const QString prompt = control<QLabel>(dialog, "Label1").text();
        const QString typed = dialog.windowTitle() == "Enter File Extension" ? "mp3;ogg"
                              : prompt == "Enter file count:"                ? "25"
                                                                             : "3";
        type(dialog, "teInput", typed);
        press(dialog, "Button2");
    } else if (name == "frmFileSize") {
        control<QRadioButton>(dialog, "rblt").setChecked(true);
        type(dialog, "teFileSize", "500");
        press(dialog, "Button1");
    } else if (name == "frmDateSel") {
        type(dialog, "teDays", "45");
        press(dialog, "Button1");
    } else if (name == "frmPath") {
        const bool copy = control<QLabel>(dialog, "Label1").text() == "Enter path to copy to";
        type(dialog, "tePath", copy ? copyTo : moveTo);
        press(dialog, "Button2");
    } else if (name == "frmLaunch") {
        type(dialog, "teProgram", "/usr/bin/player");
        type(dialog, "teParam", "-q mfile");
        press(dialog, "Button2");
    }
    return dialog.result();
}

TEST(RuleWizardLinks, EveryValueGivenThroughItsLinkLetsFinishStoreTheRule) {
    app().currentServiceId = kOtherService;
    RuleTestHost host;
    host.addFolder({{"first", true}});
    WarningLog warnings;
    QTemporaryDir folders;
    const QString moveTo = folders.filePath("music");
    const QString copyTo = folders.filePath("backup");
    ASSERT_TRUE(QDir().mkpath(moveTo) && QDir().mkpath(copyTo));
    std::map<QString, int> opened;
    ModalAnswer dialogs([&](QDialog& d) { return answer(d, moveTo, copyTo, opened); });

    ruleEditRequest() = {false, -1};
    TfrmRule wizard(host);
    wizard.rbTotalFileCount->setChecked(true);
    wizard.btnNextClick();
    for (int item :
         {TfrmRule::kItemExt, TfrmRule::kItemSize, TfrmRule::kItemDate, TfrmRule::kItemNewest})
        wizard.clConditions->toggleByUser(item);
    for (int item : {TfrmRule::kItemMove, TfrmRule::kItemCopy, TfrmRule::kItemLaunch})
        wizard.clActions->toggleByUser(item);

    // Every line carries one link; the list is rebuilt after each press, with as many lines.
    TParamListBox& sentence = *wizard.ParamListBox1;
    const int lines = sentence.lineCount();
    ASSERT_EQ(lines, 8);
    for (int i = 0; i < lines; ++i)
        EXPECT_TRUE(sentence.pressLink(i)) << i;
    EXPECT_EQ(opened, (std::map<QString, int>{{"frmDateSel", 1},
                                              {"frmFileSize", 1},
                                              {"frmInput", 3},
                                              {"frmLaunch", 1},
                                              {"frmPath", 2}}));

    std::vector<QString> shown;
    for (int i = 0; i < sentence.lineCount(); ++i)
        shown.push_back(sentence.line(i));
    EXPECT_EQ(shown,
              (std::vector<QString>{
                  "Whenever the total completed file count exceeds <a href=\"FileCount\">25</a>",
                  "    Where file extension is <a href=\"FileExt\">mp3;ogg</a>",
                  "      and file size is <a href=\"FileSize\">less than 500 KB</a>",
                  "      and file date is <a href=\"FileDate\">greater than 45 days old.</a>",
                  "      and file date is the newest <a href=\"FileDateNew\">3</a> of all files",
                  "    Move file(s) to <a href=\"rMove\">" + moveTo + "</a> directory",
                  "      and Copy file(s) to <a href=\"rCopy\">" + copyTo + "</a> directory",
                  "      and Launch <a href=\"rLaunch\">/usr/bin/player</a>",
              }));

    wizard.teRuleName->setText("Everything given");
    wizard.btnFinishClick();
    EXPECT_EQ(wizard.result(), QDialog::Accepted);
    // The only box: the program named does not exist here, and the user kept it.
    ASSERT_EQ(warnings.shown().size(), 1u) << warnings.lastText().toStdString();
    EXPECT_EQ(warnings.lastText(), "Program cannot be found or run. Keep it anyway?");

    const ServiceTable saved = host.saved();
    ASSERT_EQ(saved.services.size(), 1u);
    ASSERT_EQ(saved.services[0].rulelist.rulecnt, 2);
    const RuleRec& stored = saved.services[0].rulelist.rules[1];
    EXPECT_EQ(stored.rulename, "Everything given");
    EXPECT_EQ(stored.mcond, FileCount);
    EXPECT_EQ(stored.fcnt, 25);
    ASSERT_EQ(stored.condcnt, 4);
    EXPECT_EQ(stored.conds[0].rcondFileExt.ext, "mp3;ogg");
    EXPECT_EQ(stored.conds[1].rnum, cmpLess);
    EXPECT_EQ(stored.conds[1].size, 500);
    EXPECT_EQ(stored.conds[2].rdnum, cmpGreater);
    EXPECT_EQ(stored.conds[2].rdays, 45);
    EXPECT_EQ(stored.conds[3].newfilecnt, 3);
    ASSERT_EQ(stored.actioncnt, 3);
    EXPECT_EQ(stored.actions[0].racmove.filepath, moveTo.toStdString());
    EXPECT_EQ(stored.actions[1].raccopy.filepath, copyTo.toStdString());
    EXPECT_EQ(stored.actions[2].raclaunch.fprogram, "/usr/bin/player");
    EXPECT_EQ(stored.actions[2].raclaunch.fparams, "-q mfile");
}

} // namespace
} // namespace lp
