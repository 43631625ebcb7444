#include "ruledef/launchinput.h"

#include "param_dialog_test_support.h"
#include "ruledef/exchange_values.h"

#include <QDir>
#include <QFileInfo>

namespace lp {
namespace {

using namespace lp::testing;

TEST(TfrmLaunch, PreFillsBothFieldsOnlyWhenAProgramIsShown) {
    const struct {
        const char* currentText;
        const char* params;
        QString program, shownParams;
    } cases[] = {
        {"specified", "-mfile", "", ""},
        {"/usr/bin/player", "-q mfile", "/usr/bin/player", "-q mfile"},
    };
    for (const auto& c : cases) {
        exchange().currentText = c.currentText;
        exchange().launchParams = c.params;
        TfrmLaunch dialog;
        EXPECT_EQ(dialog.windowTitle(), "Enter Program/Script to Launch");
        EXPECT_GE(dialog.width(), 268); // wider only where the caption needs it
        EXPECT_GE(dialog.height(), 165);
        EXPECT_EQ(edit(dialog, "teProgram").text(), c.program);
        EXPECT_EQ(edit(dialog, "teParam").text(), c.shownParams);
    }
}

TEST(TfrmLaunch, OkNeedsAProgramWithoutLineBreaksAndWarnsOfOneThatCannotRun) {
    const QString missing = "Program cannot be found or run. Keep it anyway?";
    const QString shell = "/bin/sh"; // on every machine the tests run on
    const struct {
        QString program, params;
        bool goOn;       // the answer to a warning
        QString message; // empty: accepted without a word
        bool accepted;
    } cases[] = {
        {shell, "-q mfile", false, "", true},
        {"sh", "", false, "", true}, // found on PATH
        {"/no/such/player", "", true, missing, true},
        {"no-such-program-anywhere", "", false, missing, false},
        {"", "-q", true, "Please enter a filename", false},
        {"/usr/bin/a\nb", "", true, "Line breaks are not allowed here.", false},
        {shell, "a\r\nb", true, "Line breaks are not allowed here.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program.toStdString());
        exchange().currentText = "specified";
        exchange().chosenPath = "before";
        exchange().launchParams = "before";
        WarningLog warnings(c.goOn);
        TfrmLaunch dialog;
        dialog.show();
        type(dialog, "teProgram", c.program);
        type(dialog, "teParam", c.params);
        press(dialog, "Button2");
        EXPECT_EQ(warnings.lastText(), c.message);
        if (!c.message.isEmpty()) {
            EXPECT_EQ(warnings.shown().at(0).topLeft, dialog.frameGeometry().topLeft());
        }
        if (c.accepted) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(exchange().chosenPath, c.program.toStdString());
            EXPECT_EQ(exchange().launchParams, c.params.toStdString());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(exchange().chosenPath, "before");
            EXPECT_EQ(exchange().launchParams, "before");
        }
    }
}

TEST(TfrmLaunch, BrowseOffersExecutablesFirstAndFillsTheProgram) {
    exchange().currentText = "specified";
    QStringList offered;
    std::optional<QString> answer = QString("/opt/tool/run.sh");
    setFilePickerHook([&](const QString&, const QStringList& filters) {
        offered = filters;
        return answer;
    });
    TfrmLaunch dialog;
    press(dialog, "Button1");
    EXPECT_EQ(edit(dialog, "teProgram").text(), "/opt/tool/run.sh");
    answer.reset();
    press(dialog, "Button1");
    EXPECT_EQ(edit(dialog, "teProgram").text(), "/opt/tool/run.sh");
    setFilePickerHook({});
    ASSERT_EQ(offered.size(), 2);
    EXPECT_TRUE(offered[0].startsWith("Executable Files"));
    EXPECT_TRUE(offered[1].startsWith("All Files"));

    exchange().chosenPath = "kept";
    press(dialog, "Button3");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(exchange().chosenPath, "kept");
}

TEST(TfrmLaunch, BrowseOpensBesideTheProgramTypedOrAtHome) {
    const QString home = QDir::homePath();
    ASSERT_NE(QDir::currentPath(), home) << "a bare name would not tell the two apart";
    const struct {
        QString typed;
        QString start; // empty: the folder of "sh" as the path finds it
    } cases[] = {
        {"", home},
        {"no-such-program-anywhere", home}, // not the folder the tests run in
        {"sh", ""},
        {"/bin/sh", "/bin"},
        {"/bin/no-such-program", "/bin"}, // its folder is there
        {"/no/such/folder/player", home},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        exchange().currentText = "specified";
        QString opened;
        setFilePickerHook([&](const QString& start, const QStringList&) {
            opened = start;
            return std::optional<QString>();
        });
        TfrmLaunch dialog;
        type(dialog, "teProgram", c.typed);
        press(dialog, "Button1");
        setFilePickerHook({});
        if (c.start.isEmpty()) {
            EXPECT_NE(opened, home);
            EXPECT_TRUE(QFileInfo(opened + "/sh").isExecutable()) << opened.toStdString();
        } else {
            EXPECT_EQ(opened, c.start);
        }
        EXPECT_EQ(edit(dialog, "teProgram").text(), c.typed) << "nothing chosen, nothing changed";
    }
}

} // namespace
} // namespace lp
