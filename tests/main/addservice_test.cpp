#include "main/addservice.h"

#include "globals/app_globals.h"
#include "widgets/form_layout_checks.h"
#include "widgets/placement.h"
#include "widgets/ui_seams.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <vector>

namespace {

lp::rServiceRules userService(int othernum, const std::string& name, const std::string& dir) {
    lp::rServiceRules s;
    s.serviceid = lp::kOtherService;
    s.othernum = othernum;
    s.othername = name;
    s.sharedir = dir;
    return s;
}

class AddServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        table.services = {userService(1, "Music", "/srv/music"),
                          userService(2, "Docs", "/srv/docs")};
        table.services[1].excludefiles = "*.tmp";
        table.services[1].enabled = true;
        table.services[1].rulelist.rulecnt = 1;
        table.services[1].rulelist.rules.resize(1);
        table.services[1].rulelist.rules[0].rulename = "keep";
        table.customCount = 2;
        lp::setWarningHook([this](const lp::WarningShown& w) { warnings.push_back(w); });
        lp::setGoOnHook([this](const lp::WarningShown& w) {
            warnings.push_back(w);
            return goOn;
        });
        lp::setFolderPickerHook([this](const QString& start) {
            pickerStarts.push_back(start);
            return pickerAnswer;
        });
    }
    void TearDown() override {
        lp::setWarningHook({});
        lp::setGoOnHook([](const lp::WarningShown&) { return true; });
        lp::setFolderPickerHook({});
    }

    // An existing folder of the test's own, named in full.
    QString folder(const QString& name) {
        QDir(home.path()).mkpath(name);
        return home.filePath(name);
    }

    lp::ServiceTable table;
    std::vector<lp::WarningShown> warnings;
    std::vector<QString> pickerStarts;
    std::optional<QString> pickerAnswer;
    bool goOn = true;
    QTemporaryDir home;
};

TEST_F(AddServiceTest, AddingStartsEmptyAndAppendsTheFieldsExactlyAsShown) {
    lp::TfrmAddService dialog(table, false, -1);
    EXPECT_EQ(dialog.windowTitle(), "Add Service");
    // The designed width; taller only where a caption needs a second line in this font.
    EXPECT_EQ(dialog.width(), 295);
    EXPECT_GE(dialog.height(), 178);
    lp::testing::expectFormShowsWhole(dialog);
    EXPECT_FALSE(dialog.teSharedDir->isReadOnly()); // typing and pasting are checked on OK
    EXPECT_EQ(dialog.Label3->text(), "Enter Files To Be Excluded From Rules (Ex. *.dat;myfile*)");
    EXPECT_TRUE(dialog.teService->text().isEmpty());

    const QString pictures = folder("Pictures");
    dialog.teService->setText(" Photos ");
    dialog.teSharedDir->setText(pictures);
    dialog.Button1->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(warnings.empty());
    ASSERT_EQ(table.services.size(), 3u);
    const lp::rServiceRules& added = table.services.back();
    EXPECT_EQ(added.serviceid, lp::kOtherService);
    EXPECT_EQ(added.othername, " Photos "); // no trimming
    EXPECT_EQ(added.sharedir, pictures.toStdString());
    EXPECT_EQ(added.excludefiles, "");
    EXPECT_EQ(added.othernum, 3);
    EXPECT_FALSE(added.enabled);
    EXPECT_EQ(added.rulelist.rulecnt, 0);
    EXPECT_EQ(table.customCount, 3);
}

TEST_F(AddServiceTest, EditingShowsTheRecordAndChangesOnlyItsTexts) {
    lp::TfrmAddService dialog(table, true, 1);
    EXPECT_EQ(dialog.windowTitle(), "Edit Folder");
    EXPECT_EQ(dialog.teService->text(), "Docs");
    EXPECT_EQ(dialog.teSharedDir->text(), "/srv/docs");
    EXPECT_EQ(dialog.teExclude->text(), "*.tmp");

    dialog.teExclude->setText("*.tmp;*.part");
    dialog.Button1->click(); // keeping its own name is no clash

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(warnings.empty()) << warnings.at(0).text.toStdString();
    ASSERT_EQ(table.services.size(), 2u);
    const lp::rServiceRules& edited = table.services[1];
    EXPECT_EQ(edited.excludefiles, "*.tmp;*.part");
    EXPECT_EQ(edited.othername, "Docs");
    EXPECT_EQ(edited.othernum, 2);
    EXPECT_TRUE(edited.enabled);
    EXPECT_EQ(edited.rulelist.rulecnt, 1);
    EXPECT_EQ(table.customCount, 2);
}

TEST_F(AddServiceTest, TheSubFoldersOptionShowsAndStoresItsDepth) {
    struct Case {
        const char* what;
        std::int32_t stored;  // in the record before the dialog opens
        bool shownOn;         // ticked when it opens
        QString shownLevels;  // the depth it shows
        bool tick;            // what the user leaves ticked
        QString chosenLevels; // and the depth chosen
        std::int32_t saved;
    };
    const Case cases[] = {
        {"off, left off", 0, false, "all", false, "all", 0},
        {"off, turned on for all levels", 0, false, "all", true, "all", 32},
        {"off, turned on for two levels", 0, false, "all", true, "2", 2},
        {"on at three, kept", 3, true, "3", true, "3", 3},
        {"on at all, turned off", 32, true, "all", false, "all", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.services[1].subfolders = c.stored;
        lp::TfrmAddService dialog(table, true, 1);
        EXPECT_EQ(dialog.cbSubfolders->isChecked(), c.shownOn);
        EXPECT_EQ(dialog.cbLevels->isEnabled(), c.shownOn);
        EXPECT_EQ(dialog.cbLevels->currentText(), c.shownLevels);
        dialog.cbSubfolders->setChecked(c.tick);
        dialog.cbLevels->setCurrentText(c.chosenLevels);
        dialog.Button1->click();
        EXPECT_EQ(table.services[1].subfolders, c.saved);
    }
}

TEST_F(AddServiceTest, RefusalsKeepTheDialogOpenWithItsValues) {
    struct Case {
        const char* what;
        bool editing;
        QString name, folder, exclude;
        QString message;
    };
    const QString lineBreak = "Line breaks are not allowed in names or folders.";
    const Case cases[] = {
        {"no name", false, "", "/x", "", "Service name required"},
        {"no folder", false, "New", "", "", "Shared directory required"},
        {"name of another folder", false, "Docs", "/x", "", "Service name matches existing name"},
        {"renamed onto another", true, "Music", "/x", "", "Service name matches existing name"},
        {"line break in name", false, "a\nb", "/x", "", lineBreak},
        {"line break in folder", false, "New", "/x\r/y", "", lineBreak},
        {"line break in exclusions", false, "New", "/x", "*.a\n*.b", lineBreak},
        {"blanks for a name", false, "  \t", "/x", "", "Service name cannot be only blanks."},
        {"typed folder that does not exist", false, "New", "/no/such/folder", "",
         "Path does not exist"},
        {"folder named relative to wherever the program runs", false, "New", ".", "",
         "Path does not exist"},
        {"edited onto a folder that does not exist", true, "Docs", "/srv/docs/gone", "",
         "Path does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        warnings.clear();
        const auto before = table.services.size();
        lp::TfrmAddService dialog(table, c.editing, 1);
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.move(40, 60);
        dialog.teService->setText(c.name);
        dialog.teSharedDir->setText(c.folder);
        dialog.teExclude->setText(c.exclude);
        dialog.Button1Click();

        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].text, c.message);
        EXPECT_EQ(warnings[0].topLeft, dialog.frameGeometry().topLeft());
        EXPECT_EQ(finished.count(), 0); // still open
        EXPECT_EQ(dialog.teService->text(), c.name);
        EXPECT_EQ(table.services.size(), before);
        EXPECT_EQ(table.services[1].othername, "Docs");
    }
}

TEST_F(AddServiceTest, FolderWatchedTwiceWarnsAndTheUserChooses) {
    struct Case {
        const char* what;
        bool editing;
        QString folder;
        bool goOn;
        QString warning; // empty: none
        bool stored;
    };
    table.services[0].sharedir = folder("music").toStdString();
    const QString twice = "This folder is already monitored as \"Music\". Monitor it again?";
    const Case cases[] = {
        {"another folder's path, going on", false, folder("music"), true, twice, true},
        {"another folder's path, going back", false, folder("music"), false, twice, false},
        {"the same folder spelt otherwise", false, folder("music") + "/./", false, twice, false},
        {"a folder of its own", false, folder("other"), false, "", true},
        {"an edited folder keeping its own path", true, "/srv/docs", false, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        warnings.clear();
        goOn = c.goOn;
        const auto before = table.services.size();
        lp::TfrmAddService dialog(table, c.editing, 1);
        if (!c.editing)
            dialog.teService->setText(QString::fromLatin1(c.what));
        dialog.teSharedDir->setText(c.folder);
        dialog.Button1Click();

        EXPECT_EQ(warnings.empty() ? QString() : warnings.back().text, c.warning);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.stored);
        EXPECT_EQ(table.services.size(), before + (c.stored && !c.editing ? 1 : 0));
    }
}

TEST_F(AddServiceTest, NameComparisonIsExactSoOtherCaseIsAccepted) {
    lp::TfrmAddService dialog(table, false, -1);
    dialog.teService->setText("docs");
    dialog.teSharedDir->setText(folder("x"));
    dialog.Button1Click();
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(AddServiceTest, BrowseStartsAtTheFieldsFolderElseHomeAndCancelKeepsTheField) {
    lp::TfrmAddService dialog(table, true, 0);
    pickerAnswer = std::nullopt;
    dialog.Button3->click();
    EXPECT_EQ(dialog.teSharedDir->text(), "/srv/music");
    const QString usb = folder("usb");
    pickerAnswer = usb;
    dialog.Button3->click();
    EXPECT_EQ(dialog.teSharedDir->text(), usb);
    dialog.Button3->click();
    EXPECT_EQ(pickerStarts, (std::vector<QString>{QDir::homePath(), QDir::homePath(), usb}));
}

TEST_F(AddServiceTest, CancelLeavesTheTableAlone) {
    lp::TfrmAddService dialog(table, true, 0);
    dialog.teService->setText("Changed");
    dialog.Button2->click();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(table.services[0].othername, "Music");
    EXPECT_EQ(table.services.size(), 2u);
}

TEST(PlacementOverMainWindow, CentresWhenItFitsElseTenPixelsIn) {
    struct Case {
        QRect main;
        QSize dialog;
        QPoint expected;
    };
    const QSize screen(1024, 768);
    const Case cases[] = {
        // centred, with the 10-pixel nudge only to the right; halves truncate
        {{50, 50, 578, 414}, {295, 178}, {50 + 289 - 147 + 10, 50 + 207 - 89}},
        {{51, 51, 579, 415}, {297, 179}, {51 + 289 - 148 + 10, 51 + 207 - 89}},
        // wider or taller than the main window: 10 pixels in from its corner
        {{100, 100, 200, 150}, {295, 178}, {110, 110}},
        {{100, 100, 200, 414}, {295, 178}, {110, 100 + 207 - 89}},
        // would leave the screen: 10 pixels in
        {{900, 700, 578, 414}, {295, 178}, {910, 710}},
        // a negative main window position still centres
        {{-100, -50, 578, 414}, {295, 178}, {-100 + 289 - 147 + 10, -50 + 207 - 89}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.main.x()) + "," + testing::PrintToString(c.main.y()));
        EXPECT_EQ(lp::placeOverMainWindow(c.main, c.dialog, screen), c.expected);
    }
}

} // namespace
