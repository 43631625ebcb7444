// The wizard's preview: what it shows for the rule being written over a real folder, and that a
// result overtaken by a newer edit is never shown.

#include "ruledef/rule_preview_panel.h"

#include "globals/app_globals.h"
#include "globals/temp_folder.h"
#include "main/rule_test_host.h"
#include "ruledef/rulewizard.h"
#include "ruledef/working_rule.h"

#include <QLabel>
#include <QSignalSpy>
#include <QThreadPool>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>

namespace lp {
namespace {

using testing::RuleTestHost;

std::map<QString, QString> verdicts(const RulePreviewPanel& panel) {
    std::map<QString, QString> shown;
    for (int i = 0; i < panel.lvPreview->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = panel.lvPreview->topLevelItem(i);
        shown[item->text(RulePreviewPanel::FileColumn)] =
            item->text(RulePreviewPanel::VerdictColumn);
    }
    return shown;
}

bool waitForPreview(RulePreviewPanel& panel) {
    QSignalSpy shown(&panel, &RulePreviewPanel::previewShown);
    panel.refreshNow();
    return shown.wait(30000);
}

TEST(RulePreviewPanel, TheWizardShowsWhatTheRuleTakesAndWhyItLeavesTheRestOut) {
    test::TempFolder folder;
    for (const auto& [name, kilobytes] :
         std::vector<std::pair<std::string, int>>{{"a.mp3", 20}, {"b.mp3", 1}, {"c.txt", 20}})
        std::ofstream(folder.file(name), std::ios::binary) << std::string(kilobytes * 1024, 'x');

    ruleacondrec mp3;
    mp3.rcond = FileExt;
    mp3.rcondFileExt.ext = "mp3";
    ruleacondrec over10;
    over10.rcond = FileSize;
    over10.rnum = cmpGreater;
    over10.size = 10;
    ruleacondrec sizeNotGiven;
    sizeNotGiven.rcond = FileSize;
    sizeNotGiven.size = -1;

    struct Case {
        const char* what;
        std::string folder;
        std::vector<ruleacondrec> conditions;
        QString summary; // a part of the line above the files
        std::map<QString, QString> expected;
        std::int32_t subfolders = 0;
    };
    const std::string missing = folder.file("gone");
    test::TempFolder tree;
    std::filesystem::create_directories(tree.file("sub/deep"));
    for (const char* name : {"top.mp3", "sub/d.mp3", "sub/deep/e.mp3"})
        std::ofstream(tree.file(name)) << "x";
    const std::vector<Case> cases = {
        {"each file left out says which condition did",
         folder.path().string(),
         {mp3, over10},
         "take 1 of 3 files",
         {{"a.mp3", "taken"},
          {"b.mp3", "file size is not greater than 10 KB"},
          {"c.txt", "file extension is not mp3"}}},
        {"a condition not yet specified is passed over, and said to be",
         folder.path().string(),
         {sizeNotGiven, mp3},
         "passed over",
         {{"a.mp3", "taken"}, {"b.mp3", "taken"}, {"c.txt", "file extension is not mp3"}}},
        {"a folder that cannot be listed is said so, with no count",
         missing,
         {mp3},
         "cannot be listed",
         {}},
        {"a folder with its sub-folders shows their files, as deep as it is watched",
         tree.path().string(),
         {mp3},
         "take 2 of 3 files",
         {{"sub/d.mp3", "taken"}, {"sub/deep", "file extension is not mp3"}, {"top.mp3", "taken"}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app().currentServiceId = kOtherService;
        RuleTestHost host;
        host.addFolder({{"first", true}});
        host.table.services[0].sharedir = c.folder;
        host.table.services[0].subfolders = c.subfolders;
        ruleEditRequest() = {false, -1};
        TfrmRule wizard(host);
        wizard.btnNextClick();
        workingRule().conds = c.conditions;
        workingRule().condcnt = static_cast<std::int32_t>(c.conditions.size());
        wizard.BuildDescription();
        ASSERT_TRUE(waitForPreview(*wizard.pnlPreview));
        EXPECT_TRUE(wizard.pnlPreview->lblPreview->text().contains(c.summary))
            << wizard.pnlPreview->lblPreview->text().toStdString();
        EXPECT_EQ(verdicts(*wizard.pnlPreview), c.expected);
    }
}

TEST(RulePreviewPanel, AResultOvertakenByANewerEditIsDropped) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    const auto compute = [released](const TreeReach&, const std::string&, const RuleRec& rule) {
        RulePreview preview;
        preview.listed = true;
        // The first request, the older rule, comes back only after the newer one was shown.
        if (rule.rulename == "older")
            released.wait();
        preview.entries.push_back({rule.rulename + ".file", LeftOutCause::None, kKeptIn});
        preview.taken = 1;
        return preview;
    };
    // The older request holds its thread until the end: the newer one needs another.
    QThreadPool& pool = *QThreadPool::globalInstance();
    pool.setMaxThreadCount(std::max(pool.maxThreadCount(), 2));
    RulePreviewPanel panel(nullptr, compute);
    rServiceRules folder;
    folder.sharedir = "/anywhere";
    panel.setFolder(&folder);
    RuleRec older;
    older.rulename = "older";
    RuleRec newer;
    newer.rulename = "newer";

    QSignalSpy shown(&panel, &RulePreviewPanel::previewShown);
    panel.ruleChanged(older);
    panel.refreshNow();
    panel.ruleChanged(newer);
    panel.refreshNow();
    ASSERT_TRUE(shown.wait(30000));
    EXPECT_EQ(verdicts(panel), (std::map<QString, QString>{{"newer.file", "taken"}}));

    release.set_value();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents(); // delivers the older result, which must not be shown
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(verdicts(panel), (std::map<QString, QString>{{"newer.file", "taken"}}));
}

} // namespace
} // namespace lp
