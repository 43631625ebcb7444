// Sort Now from the main window: the File menu's entry and the folder list's context menu open
// the preview of the highlighted folder; its lines tick together per file and rule; Sort carries
// out the ticked ones and leaves the others.

#include "engine/activity_entry.h"
#include "globals/app_globals.h"
#include "main/mainwindow.h"
#include "main/sort_now_dialog.h"
#include "support/one_folder_table.h"
#include "support/rule_action.h"
#include "widgets/ui_seams.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class SortNowDialogTest : public ::testing::Test {
protected:
    // A folder of three files whose .txt files are copied, then moved.
    void prepare() {
        for (const char* name : {"in", "out", "copies"})
            fs::create_directories(path(name));
        for (const char* name : {"a.txt", "b.txt", "c.jpg"})
            std::ofstream(path("in") / name) << name;
        lp::app().table =
            lp::test::OneFolderTable("Inbox", path("in").string(),
                                     lp::test::MakeRule("Texts", lp::NewFile,
                                                        {lp::test::CopyTo(path("copies").string()),
                                                         lp::test::MoveTo(path("out").string())},
                                                        {lp::test::ExtensionIs("txt")}));
        lp::app().configPath = (dir / "bxconf.ini").string();
    }
    void TearDown() override {
        lp::setModalHook({});
        lp::app().table = {};
        for (const char* name : {"in", "out", "copies"})
            fs::remove_all(path(name));
    }
    fs::path path(const char* name) const { return dir / name; }

    QTemporaryDir temporary;
    fs::path dir = temporary.path().toStdString();
};

std::vector<std::string> shownLines(const QTreeWidget& list) {
    std::vector<std::string> lines;
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list.topLevelItem(row);
        std::string line = item->checkState(0) == Qt::Checked ? "[x]" : "[ ]";
        for (int column = 0; column < 3; ++column)
            line += " " + item->text(column).toStdString();
        lines.push_back(line);
    }
    return lines;
}

TEST_F(SortNowDialogTest, EachEntryShowsTheFolderLinesAndSortCarriesOutTheTickedOnes) {
    struct Case {
        const char* entry;
    } cases[] = {{"SortNow1"}, {"SortNow2"}}; // the File menu's, the folder list's context menu's
    for (const Case& c : cases) {
        prepare();
        const std::string logPath = (dir / (std::string(c.entry) + ".log")).string();
        lp::TfrmMain window([](lp::ServiceTable&, bool) {});
        lp::SortNowWork work;
        auto log = std::make_shared<lp::ActivityLog>(logPath);
        auto system = std::make_shared<lp::SystemEnvironment>();
        work.preview = [system](const lp::rServiceRules& folder) {
            return lp::PreviewSortNow(folder, {}, *system, {});
        };
        work.carryOut = [system, log](const lp::SortNowPreview& preview,
                                      const std::set<lp::SortNowChoice>& chosen,
                                      const lp::SortNowProgress& progress) {
            return lp::CarryOutSortNow(preview, chosen, {}, *system, *log, progress);
        };
        window.setSortNowWork(work);
        int opened = 0;
        lp::setModalHook([&](QDialog& dialog) {
            ++opened;
            auto* form = qobject_cast<lp::TfrmSortNow*>(&dialog);
            if (form == nullptr)
                return int(QDialog::Rejected);
            EXPECT_EQ(form->windowTitle(), "Sort Now: Inbox");
            // The order of a folder's files is the listing's; the rule's copies come first.
            std::vector<std::string> shown = shownLines(*form->lvSortNow);
            std::ranges::sort(shown);
            EXPECT_EQ(shown,
                      (std::vector<std::string>{"[x] a.txt Texts Copy", "[x] a.txt Texts Move",
                                                "[x] b.txt Texts Copy", "[x] b.txt Texts Move"}));
            EXPECT_NE(form->lblSortNow->text().indexOf("4 operations on 2 files"), -1)
                << form->lblSortNow->text().toStdString();
            // Unticking b.txt's copy leaves out its move too: never a move meant to follow a
            // copy without it.
            for (int row = 0; row < form->lvSortNow->topLevelItemCount(); ++row) {
                QTreeWidgetItem* item = form->lvSortNow->topLevelItem(row);
                if (item->text(0) == "b.txt" && item->text(2) == "Copy")
                    item->setCheckState(0, Qt::Unchecked);
            }
            EXPECT_EQ(form->chosen(), (std::set<lp::SortNowChoice>{{"a.txt", 0}}));
            EXPECT_TRUE(form->btnSort->isEnabled());
            form->btnSort->click();
            EXPECT_FALSE(form->sorting());
            EXPECT_EQ(form->lblSortNow->text().left(40).toStdString(),
                      "Sorted: 2 operations carried out. Each i");
            EXPECT_EQ(form->pbSortNow->value(), 2);
            EXPECT_EQ(form->btnClose->text(), "&Close");
            return int(QDialog::Accepted);
        });
        if (std::string(c.entry) == "SortNow1") {
            window.menus.SortNow1->trigger();
        } else {
            window.SortNow2->trigger();
        }
        EXPECT_EQ(opened, 1) << c.entry;
        EXPECT_TRUE(fs::exists(path("out") / "a.txt")) << c.entry;
        EXPECT_TRUE(fs::exists(path("copies") / "a.txt")) << c.entry;
        EXPECT_TRUE(fs::exists(path("in") / "b.txt")) << c.entry;
        EXPECT_FALSE(fs::exists(path("copies") / "b.txt")) << c.entry;
        EXPECT_TRUE(fs::exists(path("in") / "c.jpg")) << c.entry;
        EXPECT_TRUE(window.Timer1->isActive()) << "the cycles go on after the sorting";
        TearDown();
    }
}

TEST_F(SortNowDialogTest, SortNowWaitsForAHighlightedFolder) {
    lp::app().table = {};
    lp::TfrmMain window([](lp::ServiceTable&, bool) {});
    EXPECT_FALSE(window.menus.SortNow1->isEnabled());
    int opened = 0;
    lp::setModalHook([&](QDialog&) { return ++opened, int(QDialog::Rejected); });
    window.SortNow1Click();
    EXPECT_EQ(opened, 0);
}

} // namespace
