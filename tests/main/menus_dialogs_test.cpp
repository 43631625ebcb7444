// The main window's menus and the dialogs behind them: options (the auto-start file), help, about,
// and the auto-start file brought in line when the window is made.

#include "desktop/autostart_entry.h"
#include "desktop/settings_store.h"
#include "desktop/stored_options.h"
#include "globals/app_globals.h"
#include "main/about.h"
#include "main/additional.h"
#include "main/help_window.h"
#include "main/mainwindow.h"
#include "main/tray_icon.h"
#include "support/scoped_config_home.h"
#include "widgets/ui_seams.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

std::vector<std::string> captions(const QMenu& menu) {
    std::vector<std::string> out;
    for (const QAction* action : menu.actions())
        out.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return out;
}

std::string ownCommand() {
    return lp::runEntryCommand(lp::executablePath());
}

class MenusDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        lp::app().table = {};
        lp::app().registry = {};
        lp::app().applicationFolder = (dir.path() + "/").toStdString();
        lp::app().configPath = dir.filePath("bxconf.ini").toStdString();
        lp::app().versionLine = "Version 1.00";
        lp::setTrayAvailableForTests(true);
        lp::setWarningHook([this](const lp::WarningShown& w) { warnings.push_back(w); });
        lp::setModalHook([this](QDialog& dialog) {
            ++opened;
            if (!answer)
                return int(QDialog::Rejected);
            answer(dialog);
            return dialog.result();
        });
    }
    void TearDown() override {
        window.reset();
        lp::setWarningHook({});
        lp::setModalHook({});
        lp::setTrayAvailableForTests(std::nullopt);
        lp::app().registry = {};
        lp::app().applicationFolder.clear();
    }

    lp::TfrmMain& open() {
        window = std::make_unique<lp::TfrmMain>(lp::MonitorCycle{});
        return *window;
    }

    // Runs the options dialog, sets the check box and presses OK (or Cancel).
    void chooseAutoStart(bool on, bool ok = true) {
        answer = [this, on, ok](QDialog& dialog) {
            auto& options = dynamic_cast<lp::TfrmAdditional&>(dialog);
            initialCheck = options.chkAuto->isChecked();
            options.chkAuto->setChecked(on);
            (ok ? options.BitBtn1 : options.BitBtn2)->click();
        };
        window->menus.AdditionalOptions1->trigger();
    }

    lp::test::ScopedConfigHome home;
    QTemporaryDir dir;
    std::unique_ptr<lp::TfrmMain> window;
    std::vector<lp::WarningShown> warnings;
    std::function<void(QDialog&)> answer;
    int opened = 0;
    bool initialCheck = false;
};

TEST_F(MenusDialogs, TheFourMenusHoldTheirEntriesInOrder) {
    lp::TfrmMain& w = open();
    const std::vector<std::pair<const char*, std::vector<std::string>>> expected{
        {"File1", {"&Activity...", "Sort &Now...", "&Pause Sorting", "-", "&Close"}},
        {"Options1", {"&Additional Options..."}},
        {"Links1",
         {"&Support...", "Online &Forums...", "-", "Larchpost &Headless...",
          "Larchpost &Rule Examples...", "Larchpost &Portable Copy..."}},
        {"Help1", {"&Contents...", "-", "&About..."}},
    };
    for (const auto& [name, entries] : expected) {
        auto* menu = w.findChild<QMenu*>(name);
        ASSERT_NE(menu, nullptr) << name;
        EXPECT_EQ(captions(*menu), entries) << name;
    }
}

// Each Links entry opens the help window at a section of the help file that ships with the
// program (no address that does not exist), each at its own, and each has a mnemonic of its own.
TEST_F(MenusDialogs, EachLinkOpensItsOwnSectionOfTheHelpFile) {
    const QString shipped = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../data/larchpost.hlp");
    ASSERT_TRUE(QFile::copy(shipped, dir.filePath("larchpost.hlp")));
    QFile file(shipped);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    lp::TfrmMain& w = open();
    std::set<QChar> mnemonics;
    ASSERT_EQ(w.menus.links.size(), 5u);
    for (QAction* link : w.menus.links) {
        SCOPED_TRACE(link->objectName().toStdString());
        const auto& entries = lp::linksEntries();
        const auto entry = std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
            return e.name != nullptr && link->objectName() == QLatin1String(e.name);
        });
        ASSERT_NE(entry, entries.end());
        EXPECT_TRUE(html.contains(QByteArray("name=\"") + entry->helpSection + "\""));
        const QString caption = link->text();
        mnemonics.insert(caption.at(caption.indexOf('&') + 1).toLower());

        link->trigger();
        auto* help = w.findChild<lp::TfrmHelp*>();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        EXPECT_GT(help->tbContents->verticalScrollBar()->value(), 0) << "not at the start";
        help->tbContents->verticalScrollBar()->setValue(0);
    }
    EXPECT_EQ(mnemonics.size(), 5u);
    EXPECT_TRUE(warnings.empty());
}

// A web address in the help file goes to the desktop; one that cannot be opened is told in the
// confirmation-style box of a document that cannot be opened.
TEST_F(MenusDialogs, AnAddressTheHelpWindowCannotOpenIsToldAsAFailedDocument) {
    lp::TfrmHelp help;
    emit help.tbContents->anchorClicked(QUrl("no-such-scheme://larchpost"));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text, "Error starting player program.");
    EXPECT_EQ(warnings[0].kind, lp::BoxKind::Confirmation);
}

struct OptionsCase {
    const char* name;
    bool autoStartBefore;
    bool check;
    bool ok;
    bool fileAfter;
    bool autoStartAfter;
};

class OptionsDialog : public MenusDialogs, public testing::WithParamInterface<OptionsCase> {};

TEST_P(OptionsDialog, OkWritesOrRemovesTheFileAndCancelChangesNothing) {
    const OptionsCase& c = GetParam();
    lp::app().registry.AutoStart = c.autoStartBefore;
    open(); // with auto-start on, creation has written the file
    EXPECT_EQ(QFile::exists(home.autostartPath()), c.autoStartBefore);

    chooseAutoStart(c.check, c.ok);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(initialCheck, c.autoStartBefore);
    EXPECT_EQ(QFile::exists(home.autostartPath()), c.fileAfter);
    if (c.fileAfter) {
        EXPECT_EQ(lp::readRunEntry(), ownCommand());
    }
    EXPECT_EQ(lp::app().registry.AutoStart, c.autoStartAfter);
    EXPECT_TRUE(warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, OptionsDialog,
    testing::Values(OptionsCase{"ClearedAndOk", true, false, true, false, false},
                    OptionsCase{"TickedAndOk", false, true, true, true, true},
                    OptionsCase{"ClearedAndCancel", true, false, false, true, true},
                    OptionsCase{"TickedAndCancel", false, true, false, false, false}),
    [](const testing::TestParamInfo<OptionsCase>& p) { return std::string(p.param.name); });

TEST_F(MenusDialogs, AutoStartClearedIsStoredByTheNextCloseAndNotRecreatedAtTheNextStart) {
    open();
    chooseAutoStart(false);
    window->show();
    window->close();
    lp::app().registry = {};
    lp::ReadSettings();
    EXPECT_FALSE(lp::app().registry.AutoStart);

    window.reset();
    open(); // the next start
    EXPECT_FALSE(QFile::exists(home.autostartPath()));
}

TEST_F(MenusDialogs, AFailedWriteIsShownWithTheSystemsMessageAndTheDialogStillCloses) {
    lp::app().registry.AutoStart = false;
    open();
    QFile blocker(home.path() + "/autostart"); // a plain file where the folder belongs
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    int result = -1;
    answer = [&result](QDialog& dialog) {
        auto& options = dynamic_cast<lp::TfrmAdditional&>(dialog);
        options.chkAuto->setChecked(true);
        options.BitBtn1->click();
        result = dialog.result();
    };
    window->AdditionalOptions1Click();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.startsWith("Unable to write the auto-start file "))
        << warnings[0].text.toStdString();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(lp::app().registry.AutoStart); // changed in memory all the same
}

TEST_F(MenusDialogs, CreationAddsStartupToAnEntryWithoutItEvenWithAutoStartOff) {
    lp::app().registry.AutoStart = false;
    ASSERT_TRUE(home.writeAutostart("[Desktop Entry]\nExec=/old/place/larchpost\n"));
    lp::TfrmMain& w = open();
    EXPECT_EQ(lp::readRunEntry(), ownCommand());
    EXPECT_TRUE(w.Timer1->isActive());
}

TEST_F(MenusDialogs, AFailureAtCreationIsToldAndTheWindowStillMonitors) {
    QFile blocker(home.path() + "/autostart");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    lp::TfrmMain& w = open(); // auto-start on: creation tries to write
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(w.Timer1->isActive());
    EXPECT_TRUE(w.tray->icon->isVisible());
}

TEST_F(MenusDialogs, AMissingHelpFileIsNamedAtTheWindowsCorner) {
    lp::TfrmMain& w = open();
    w.move(40, 30);
    w.menus.Contents1->trigger();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].text, "Unable to find help file: " + dir.filePath("larchpost.hlp"));
    EXPECT_EQ(warnings[0].topLeft, w.frameGeometry().topLeft());
    EXPECT_EQ(w.findChild<lp::TfrmHelp*>(), nullptr);
}

TEST_F(MenusDialogs, TheHelpFileOpensInTheHelpWindowAndReloadsWhenOpenedAgain) {
    const auto writeHelp = [this](const QByteArray& title) {
        QFile help(dir.filePath("larchpost.hlp"));
        ASSERT_TRUE(help.open(QIODevice::WriteOnly));
        help.write("<html><head><title>" + title + "</title></head><body><h1>" + title +
                   "</h1></body></html>");
    };
    writeHelp("First");
    lp::TfrmMain& w = open();
    w.Contents1Click();
    auto* help = w.findChild<lp::TfrmHelp*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->tbContents->toPlainText().contains("First"));

    writeHelp("Second");
    help->close();
    w.show();
    QApplication::setActiveWindow(&w);
    QTest::keyClick(&w, Qt::Key_F1); // the desktop's key for help
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(w.findChildren<lp::TfrmHelp*>().size(), 1);
    EXPECT_TRUE(help->tbContents->toPlainText().contains("Second"));
    EXPECT_TRUE(warnings.empty());
}

TEST_F(MenusDialogs, TheAboutBoxShowsNameVersionAndBuild) {
    lp::TfrmMain& w = open();
    bool seen = false;
    answer = [&seen](QDialog& dialog) {
        auto& about = dynamic_cast<lp::Tfrmabout&>(dialog);
        seen = true;
        EXPECT_EQ(about.windowTitle(), "About Larchpost");
        EXPECT_EQ(about.size(), QSize(247, 153));
        EXPECT_EQ(about.lblPName->text(), "Larchpost");
        EXPECT_TRUE(about.lblPName->font().bold());
        EXPECT_EQ(about.lblVersion->text(), "Version 1.00");
        EXPECT_EQ(about.Label1->text(), "Build 2");
        EXPECT_FALSE(about.Label3->text().isEmpty());
        EXPECT_FALSE(about.lblComment->text().isEmpty());
        EXPECT_FALSE(about.Image1->pixmap().isNull());
        about.OKButton->click();
    };
    w.menus.About1->trigger();
    EXPECT_TRUE(seen);
}

TEST_F(MenusDialogs, TheOptionsDialogHasItsCaptionAndSize) {
    open();
    answer = [](QDialog& dialog) {
        auto& options = dynamic_cast<lp::TfrmAdditional&>(dialog);
        // The design size with the sorting and notification choices below, wider only where
        // the font needs it to show the captions whole.
        EXPECT_EQ(options.height(), 282);
        EXPECT_GE(options.width(), 262);
        EXPECT_GE(options.chkAuto->width(), options.chkAuto->sizeHint().width());
        EXPECT_LE(options.chkAuto->geometry().right(), options.GroupBox1->width());
        EXPECT_LE(options.GroupBox1->geometry().right(), options.width());
        EXPECT_LE(options.BitBtn2->geometry().right(), options.width());
        EXPECT_EQ(options.chkAuto->text(), "Start Larchpost when I log in");
        EXPECT_EQ(options.chkTrash->text(), "Move deleted files to the trash");
        EXPECT_EQ(options.lblNameClash->text(), "When a file of the same name is already there:");
        const QStringList choices{"Replace it", "Keep both", "Leave the new file where it is"};
        ASSERT_EQ(options.cbNameClash->count(), choices.size());
        for (int i = 0; i < choices.size(); ++i)
            EXPECT_EQ(options.cbNameClash->itemText(i), choices[i]);
        EXPECT_EQ(options.chkNotifyFailures->text(), "Show a notification when an operation fails");
        EXPECT_EQ(options.chkNotifySorted->text(), "Show a notification for every file sorted");
        for (const QWidget* caption : std::initializer_list<const QWidget*>{
                 options.chkTrash, options.lblNameClash, options.cbNameClash,
                 options.chkNotifyFailures, options.chkNotifySorted}) {
            EXPECT_GE(caption->width(), caption->sizeHint().width());
            EXPECT_LE(caption->geometry().right(), caption->parentWidget()->width());
            EXPECT_LE(caption->geometry().bottom(), caption->parentWidget()->height());
        }
        EXPECT_LE(options.GroupBox2->geometry().bottom(), options.GroupBox3->y());
        EXPECT_LE(options.GroupBox3->geometry().bottom(), options.BitBtn1->y());
        EXPECT_LE(options.GroupBox3->geometry().right(), options.width());
        EXPECT_EQ(options.BitBtn1->text(), "&OK");
        EXPECT_EQ(options.BitBtn2->text(), "&Cancel");
        options.BitBtn2->click();
    };
    window->AdditionalOptions1Click();
    EXPECT_EQ(opened, 1);
}

struct SortingChoiceCase {
    const char* name;
    bool trash;
    int clashChoice; // the combo box's row
    lp::NameClash clash;
    bool notifyFailures = true;
    bool notifySorted = false;
};

class SortingChoices : public MenusDialogs, public testing::WithParamInterface<SortingChoiceCase> {
protected:
    lp::StoredOptions stored() {
        return lp::ReadStoredOptions(
            lp::settingsStore(), [this](const std::string& message) { said.push_back(message); });
    }
    std::vector<std::string> said;
};

// OK stores both choices beside the pause, which it leaves as it was; the next opening shows
// them; Cancel stores nothing.
TEST_P(SortingChoices, OkStoresThemAndTheDialogShowsThemAgain) {
    const SortingChoiceCase& c = GetParam();
    lp::StoredOptions before;
    before.paused = true;
    ASSERT_TRUE(lp::WriteStoredOptions(lp::settingsStore(), before));
    open();
    for (const bool ok : {false, true}) {
        answer = [&](QDialog& dialog) {
            auto& options = dynamic_cast<lp::TfrmAdditional&>(dialog);
            EXPECT_FALSE(options.chkTrash->isChecked());
            EXPECT_EQ(options.cbNameClash->currentIndex(), 0);
            EXPECT_TRUE(options.chkNotifyFailures->isChecked()) << "on by default";
            EXPECT_FALSE(options.chkNotifySorted->isChecked()) << "off by default";
            options.chkTrash->setChecked(c.trash);
            options.cbNameClash->setCurrentIndex(c.clashChoice);
            options.chkNotifyFailures->setChecked(c.notifyFailures);
            options.chkNotifySorted->setChecked(c.notifySorted);
            (ok ? options.BitBtn1 : options.BitBtn2)->click();
        };
        window->menus.AdditionalOptions1->trigger();
    }
    const lp::StoredOptions after = stored();
    EXPECT_EQ(after.policy.deleteToTrash, c.trash);
    EXPECT_EQ(after.policy.nameClash, c.clash);
    EXPECT_EQ(after.notifyFailures, c.notifyFailures);
    EXPECT_EQ(after.notifyEverySorted, c.notifySorted);
    EXPECT_TRUE(after.paused);
    EXPECT_TRUE(said.empty());

    answer = [&](QDialog& dialog) {
        auto& options = dynamic_cast<lp::TfrmAdditional&>(dialog);
        EXPECT_EQ(options.chkTrash->isChecked(), c.trash);
        EXPECT_EQ(options.cbNameClash->currentIndex(), c.clashChoice);
        EXPECT_EQ(options.chkNotifyFailures->isChecked(), c.notifyFailures);
        EXPECT_EQ(options.chkNotifySorted->isChecked(), c.notifySorted);
        options.BitBtn2->click();
    };
    window->menus.AdditionalOptions1->trigger();
    EXPECT_EQ(opened, 3);
    EXPECT_TRUE(warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SortingChoices,
    testing::Values(
        SortingChoiceCase{"ReplaceAndTrash", true, 0, lp::NameClash::Replace},
        SortingChoiceCase{"KeepBoth", false, 1, lp::NameClash::KeepBoth},
        SortingChoiceCase{"LeaveAndTrash", true, 2, lp::NameClash::Leave},
        SortingChoiceCase{"NoFailureNotices", false, 0, lp::NameClash::Replace, false, false},
        SortingChoiceCase{"EverySortedFileTold", false, 0, lp::NameClash::Replace, true, true}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
