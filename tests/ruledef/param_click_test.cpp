#include "ruledef/param_click.h"

#include "param_dialog_test_support.h"
#include "ruledef/datesel.h"
#include "ruledef/exchange_values.h"
#include "ruledef/fext.h"
#include "ruledef/filesized.h"
#include "ruledef/launchinput.h"
#include "ruledef/new_name.h"
#include "ruledef/path.h"
#include "ruledef/rule_description.h"
#include "support/rule_action.h"

#include <QLabel>
#include <QTemporaryDir>

namespace lp {
namespace {

using namespace lp::testing;

ruleacondrec cond(std::uint8_t kind) {
    ruleacondrec c;
    c.rcond = kind;
    c.size = c.rdays = c.newfilecnt = c.oldfilecnt = -1;
    return c;
}

// Every kind twice, so that a test sees the first entry of a kind changed and the second not.
RuleRec fullRule() {
    RuleRec r;
    r.mcond = FileCount;
    r.fcnt = 20;
    r.fsize = 10;
    for (std::uint8_t kind :
         {FileExt, FileSize, FileDate, FileDateNew, FileDateOld, FileNameMatching,
          FileNameNotMatching, FileTypeMatching, DownloadedFrom})
        for (int twice = 0; twice < 2; ++twice)
            r.conds.push_back(cond(kind));
    for (std::uint8_t kind : {rMove, rCopy, rDelete, rLaunch, rFTP, rRename})
        for (int twice = 0; twice < 2; ++twice)
            r.actions.push_back(test::MakeAction(kind));
    r.actions[7].raclaunch.fparams = "-second";
    r.actions[6].raclaunch.fparams = "-old mfile";
    // A destination read with a placeholder not known yet: a folder chosen replaces it whole.
    r.actions[0].unknownPlaceholder = true;
    r.actions[0].racmove.filepath = "/photos/{year}";
    r.condcnt = static_cast<std::int32_t>(r.conds.size());
    r.actioncnt = static_cast<std::int32_t>(r.actions.size());
    return r;
}

bool same(const RuleRec& a, const RuleRec& b) {
    return a.fcnt == b.fcnt && a.fsize == b.fsize && a.conds == b.conds && a.actions == b.actions;
}

TEST(EditRuleParameter, EachLinkOpensItsDialogAndStoresItsField) {
    // The program typed below does not exist here; the warning about it is answered "keep it".
    const WarningLog warnings;
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = folder.path().toStdString();

    const struct {
        const char* href;
        const char* shown;
        const char* dialogClass;
        std::function<void(QDialog&)> fill;   // what the user does before OK
        std::function<void(RuleRec&)> expect; // applied to the rule as it was
    } cases[] = {
        {"FileCount", "20", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "0");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.fcnt = 0; }},
        {"TotalFileSize", "10", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "250");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.fsize = 250; }},
        {"FileExt", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "mp3;mp2");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[0].rcondFileExt.ext = "mp3;mp2"; }},
        {"FileSize", "specified", "lp::TfrmFileSize",
         [](QDialog& d) {
             control<QRadioButton>(d, "rblt").setChecked(true);
             type(d, "teFileSize", "100");
             press(d, "Button1");
         },
         [](RuleRec& r) {
             r.conds[2].rnum = cmpLess;
             r.conds[2].size = 100;
         }},
        {"FileDate", "specified", "lp::TfrmDateSel",
         [](QDialog& d) {
             type(d, "teDays", "365");
             press(d, "Button1");
         },
         [](RuleRec& r) {
             r.conds[4].rdnum = cmpGreater;
             r.conds[4].rdays = 365;
         }},
        {"FileDateNew", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "3");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[6].newfilecnt = 3; }},
        {"FileDateOld", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "4");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[8].oldfilecnt = 4; }},
        {"rMove", "specified", "lp::TfrmPath",
         [&](QDialog& d) {
             type(d, "tePath", folder.path());
             press(d, "Button2");
         },
         [&](RuleRec& r) {
             r.actions[0].racmove.filepath = path;
             r.actions[0].unknownPlaceholder = false;
         }},
        {"FileName", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "scan_*;*invoice*");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[10].names = "scan_*;*invoice*"; }},
        {"FileNameNot", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "*.part");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[12].names = "*.part"; }},
        {"FileType", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "Images;application/pdf");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[14].types = "Images;application/pdf"; }},
        {"FileOrigin", "specified", "lp::TfrmInput",
         [](QDialog& d) {
             type(d, "teInput", "*.example.org/*");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.conds[16].origins = "*.example.org/*"; }},
        {"rCopy", "specified", "lp::TfrmPath",
         [&](QDialog& d) {
             type(d, "tePath", folder.path());
             press(d, "Button2");
         },
         [&](RuleRec& r) { r.actions[2].raccopy.filepath = path; }},
        {"rLaunch", "specified", "lp::TfrmLaunch",
         [](QDialog& d) {
             type(d, "teProgram", "/usr/bin/player");
             type(d, "teParam", "mfile");
             press(d, "Button2");
         },
         [](RuleRec& r) {
             r.actions[6].raclaunch.fprogram = "/usr/bin/player";
             r.actions[6].raclaunch.fparams = "mfile";
         }},
        {"rRename", "specified", "lp::TfrmNewName",
         [](QDialog& d) {
             type(d, "teName", "{year} {name}.{ext}");
             press(d, "Button2");
         },
         [](RuleRec& r) { r.actions[10].racrename.newname = "{year} {name}.{ext}"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.href);
        for (bool ok : {true, false}) {
            RuleRec rule = fullRule();
            QString opened;
            ModalAnswer answer([&](QDialog& d) {
                opened = QString::fromLatin1(d.metaObject()->className());
                if (ok)
                    c.fill(d);
                else
                    press(d, d.inherits("lp::TfrmFileSize") || d.inherits("lp::TfrmDateSel")
                                 ? "Button2"
                                 : "Button3");
                return d.result();
            });
            editRuleParameter(nullptr, rule, c.href, c.shown);
            EXPECT_EQ(answer.opened(), 1);
            EXPECT_EQ(opened, c.dialogClass);
            RuleRec expected = fullRule();
            if (ok)
                c.expect(expected);
            EXPECT_TRUE(same(rule, expected)) << (ok ? "OK" : "Cancel");
        }
    }
}

TEST(EditRuleParameter, InputCaptionsAndPromptsByLink) {
    const struct {
        const char* href;
        QString caption, prompt;
        int width;
    } cases[] = {
        {"FileExt", "Enter File Extension",
         "Enter file extensions separated by semicolans(mp2;mp3):", 265},
        {"FileCount", "Enter File Count", "Enter file count:", 40},
        {"TotalFileSize", "Enter File Size", "Enter total file size (MB):", 40},
        {"FileDateNew", "Enter File Count", "Enter number of files:", 40},
        {"FileDateOld", "Enter File Count", "Enter number of files:", 40},
    };
    for (const auto& c : cases) {
        RuleRec rule = fullRule();
        ModalAnswer answer([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), c.caption);
            EXPECT_EQ(control<QLabel>(d, "Label1").text(), c.prompt);
            // A number field (designed 40 wide) may be widened to show its largest number.
            if (c.width == 40) {
                EXPECT_GE(edit(d, "teInput").width(), 40);
                EXPECT_LT(edit(d, "teInput").width(), 265);
            } else {
                EXPECT_EQ(edit(d, "teInput").width(), c.width);
            }
            return int(QDialog::Rejected);
        });
        editRuleParameter(nullptr, rule, c.href, "specified");
        EXPECT_EQ(answer.opened(), 1) << c.href;
    }
}

TEST(EditRuleParameter, DialogsStartFromTheRuleAndTheShownText) {
    RuleRec rule = fullRule();
    rule.conds[2].rnum = cmpLess;
    rule.conds[2].size = 50;
    rule.actions[6].raclaunch.fprogram = "/usr/bin/player";
    const struct {
        const char* href;
        const char* shown;
        const char* field;
        QString expected;
    } cases[] = {
        {"FileExt", "mp3;mp2", "teInput", "mp3;mp2"},
        {"FileSize", "less than 50 KB", "teFileSize", "50"},
        {"FileDate", "specified", "teDays", "10"},
        {"rMove", "/srv/music", "tePath", "/srv/music"},
        {"rLaunch", "/usr/bin/player", "teParam", "-old mfile"},
        {"rLaunch", "specified", "teParam", ""},
    };
    for (const auto& c : cases) {
        ModalAnswer answer([&](QDialog& d) {
            EXPECT_EQ(edit(d, c.field).text(), c.expected) << c.href;
            return int(QDialog::Rejected);
        });
        editRuleParameter(nullptr, rule, c.href, c.shown);
        EXPECT_EQ(answer.opened(), 1);
    }
}

TEST(EditRuleParameter, LinksWithoutADialogOrEntryOpenNothing) {
    RuleRec empty;
    empty.mcond = FileCount;
    empty.fcnt = 20;
    const struct {
        RuleRec rule;
        const char* href;
    } cases[] = {
        {fullRule(), "rDelete"}, {fullRule(), "unknown"}, {fullRule(), ""},
        {empty, "FileExt"},      {empty, "rMove"},        {empty, "rLaunch"},
        {empty, "FileDateOld"},  {empty, "rRename"},
    };
    for (const auto& c : cases) {
        RuleRec rule = c.rule;
        ModalAnswer answer([](QDialog&) { return int(QDialog::Accepted); });
        editRuleParameter(nullptr, rule, c.href, "specified");
        EXPECT_EQ(answer.opened(), 0) << c.href;
        EXPECT_TRUE(same(rule, c.rule));
    }
}

TEST(EditRuleParameter, EmptyExtensionReturnsTheLineToItsNotGivenForm) {
    RuleRec rule = fullRule();
    rule.conds[0].rcondFileExt.ext = "mp3";
    ModalAnswer answer([](QDialog& d) {
        type(d, "teInput", "");
        press(d, "Button2");
        return d.result();
    });
    editRuleParameter(nullptr, rule, "FileExt", "mp3");
    EXPECT_EQ(rule.conds[0].rcondFileExt.ext, "");
    EXPECT_EQ(BuildDescriptionLines(rule).at(1),
              "    Where file extension is <a href=\"FileExt\">specified</a> extension");
}

} // namespace
} // namespace lp
