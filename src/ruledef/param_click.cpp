#include "param_click.h"

#include "datesel.h"
#include "exchange_values.h"
#include "fext.h"
#include "filesized.h"
#include "globals/path_template.h"
#include "launchinput.h"
#include "new_name.h"
#include "path.h"
#include "rule_description.h"
#include "widgets/ui_seams.h"

#include <algorithm>

namespace lp {

namespace {

// The first entry of a kind among the first count ones; null when there is none.
ruleacondrec* firstCondition(RuleRec& rule, std::uint8_t kind) {
    const std::size_t count =
        std::min(static_cast<std::size_t>(std::max(rule.condcnt, 0)), rule.conds.size());
    for (std::size_t i = 0; i < count; ++i)
        if (rule.conds[i].rcond == kind)
            return &rule.conds[i];
    return nullptr;
}

ruleactionrec* firstAction(RuleRec& rule, std::uint8_t kind) {
    const std::size_t count =
        std::min(static_cast<std::size_t>(std::max(rule.actioncnt, 0)), rule.actions.size());
    for (std::size_t i = 0; i < count; ++i)
        if (rule.actions[i].raction == kind)
            return &rule.actions[i];
    return nullptr;
}

template <typename Dialog> bool confirmed(QWidget* parent) {
    Dialog dialog(parent);
    return runModal(dialog) == QDialog::Accepted;
}

// The input dialog in number mode; the number on OK.
std::optional<std::int32_t> askNumber(QWidget* parent, const char* caption, const char* prompt) {
    ParamExchange& values = exchange();
    values.caption = caption;
    values.prompt = prompt;
    if (!confirmed<TfrmInput>(parent))
        return std::nullopt;
    return values.number;
}

// The dialog shows and takes a destination as a template spells it: a plain folder's "{" doubled.
// A destination that held a placeholder not known yet is replaced whole, so the rule acts again.
void editPath(QWidget* parent, ruleactionrec& action, std::string& filepath, const char* target) {
    ParamExchange& values = exchange();
    values.pathTarget = target;
    if (!action.templated && !action.unknownPlaceholder && values.currentText != kNotGivenText)
        values.currentText = EscapeTemplateText(values.currentText);
    values.chosenPath.clear();
    values.chosenTemplated = false;
    if (confirmed<TfrmPath>(parent)) {
        filepath = values.chosenPath;
        action.unknownPlaceholder = false;
        action.templated = values.chosenTemplated;
    }
}

// The dialog takes a new name only when Larchpost can make it, so a name that held a placeholder
// not known yet is replaced whole and the rule acts again.
void editNewName(QWidget* parent, ruleactionrec& action) {
    exchange().currentText = action.racrename.newname;
    if (!confirmed<TfrmNewName>(parent))
        return;
    action.racrename.newname = exchange().currentText;
    action.unknownPlaceholder = false;
}

} // namespace

void editRuleParameter(QWidget* wizard, RuleRec& rule, const QString& href,
                       const QString& shownText) {
    ParamExchange& values = exchange();
    values.currentText = shownText.toStdString();
    const std::string name = href.toStdString();

    if (name == "rMove" || name == "rCopy") {
        const bool move = name == "rMove";
        if (ruleactionrec* action = firstAction(rule, move ? rMove : rCopy))
            editPath(wizard, *action, move ? action->racmove.filepath : action->raccopy.filepath,
                     move ? "rMove" : "rCopy");
    } else if (name == "FileExt") {
        if (ruleacondrec* cond = firstCondition(rule, FileExt)) {
            values.caption = "Enter File Extension";
            values.prompt = "Enter file extensions separated by semicolans(mp2;mp3):";
            values.anyCase = cond->rcondFileExt.anyCase;
            if (confirmed<TfrmInput>(wizard)) {
                cond->rcondFileExt.ext = values.currentText;
                cond->rcondFileExt.anyCase = values.anyCase;
            }
        }
    } else if (name == "FileName" || name == "FileNameNot") {
        const bool matching = name == "FileName";
        if (ruleacondrec* cond =
                firstCondition(rule, matching ? FileNameMatching : FileNameNotMatching)) {
            // The patterns of "does not match" name the files the rule leaves out.
            values.caption = matching ? "Enter File Name Patterns" : "Enter Names to Leave Out";
            values.prompt = matching
                                ? "Enter name patterns separated by semicolons (scan_*;*invoice*):"
                                : "Enter patterns of names to leave out (*.part;~*):";
            if (confirmed<TfrmInput>(wizard))
                cond->names = values.currentText;
        }
    } else if (name == "FileType") {
        if (ruleacondrec* cond = firstCondition(rule, FileTypeMatching)) {
            values.caption = "Enter File Types";
            values.prompt = "Enter types separated by semicolons (Images;application/pdf):";
            if (confirmed<TfrmInput>(wizard))
                cond->types = values.currentText;
        }
    } else if (name == "FileOrigin") {
        if (ruleacondrec* cond = firstCondition(rule, DownloadedFrom)) {
            values.caption = "Enter Download Addresses";
            values.prompt =
                "Enter address patterns separated by semicolons (*example.org/*;*/invoices/*):";
            if (confirmed<TfrmInput>(wizard))
                cond->origins = values.currentText;
        }
    } else if (name == "FileSize") {
        if (ruleacondrec* cond = firstCondition(rule, FileSize)) {
            values.comparison = cond->rnum;
            values.sizeValue = cond->size;
            if (confirmed<TfrmFileSize>(wizard)) {
                cond->rnum = values.comparison;
                cond->size = values.sizeValue;
            }
        }
    } else if (name == "FileDate") {
        if (ruleacondrec* cond = firstCondition(rule, FileDate)) {
            values.comparison = cond->rdnum;
            values.daysValue = cond->rdays;
            if (confirmed<TfrmDateSel>(wizard)) {
                cond->rdnum = values.comparison;
                cond->rdays = values.daysValue;
            }
        }
    } else if (name == "FileCount") {
        if (auto number = askNumber(wizard, "Enter File Count", "Enter file count:"))
            rule.fcnt = *number;
    } else if (name == "TotalFileSize") {
        if (auto number = askNumber(wizard, "Enter File Size", "Enter total file size (MB):"))
            rule.fsize = *number;
    } else if (name == "FileDateNew" || name == "FileDateOld") {
        const bool newest = name == "FileDateNew";
        if (ruleacondrec* cond = firstCondition(rule, newest ? FileDateNew : FileDateOld)) {
            if (auto number = askNumber(wizard, "Enter File Count", "Enter number of files:"))
                (newest ? cond->newfilecnt : cond->oldfilecnt) = *number;
        }
    } else if (name == "rLaunch") {
        if (ruleactionrec* action = firstAction(rule, rLaunch)) {
            values.launchParams = action->raclaunch.fparams;
            if (confirmed<TfrmLaunch>(wizard)) {
                action->raclaunch.fprogram = values.chosenPath;
                action->raclaunch.fparams = values.launchParams;
            }
        }
    } else if (name == "rRename") {
        if (ruleactionrec* action = firstAction(rule, rRename))
            editNewName(wizard, *action);
    }
    // "rDelete" and any other name open nothing.
}

} // namespace lp
