#include "ruledef/path.h"

#include "param_dialog_test_support.h"
#include "ruledef/exchange_values.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

namespace lp {
namespace {

using namespace lp::testing;

TEST(TfrmPath, LabelByTargetAndPreFill) {
    const struct {
        const char* target;
        const char* currentText;
        QString label;
        QString shown;
    } cases[] = {
        {"rMove", "specified", "Enter path to move file to:", ""},
        {"rCopy", "specified", "Enter path to copy to", ""},
        {"rCopy", "/srv/copies", "Enter path to copy to", "/srv/copies"},
        {"rMove", "/srv/music", "Enter path to move file to:", "/srv/music"},
    };
    for (const auto& c : cases) {
        exchange().pathTarget = c.target;
        exchange().currentText = c.currentText;
        TfrmPath dialog;
        EXPECT_EQ(dialog.windowTitle(), "Enter Path");
        EXPECT_EQ(dialog.size(), QSize(289, 176));
        EXPECT_EQ(control<QLabel>(dialog, "Label1").text(), c.label);
        EXPECT_EQ(edit(dialog, "tePath").text(), c.shown);
    }
}

TEST(TfrmPath, OkAcceptsOnlyAnExistingFolderAsTyped) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString folder = temp.path() + "/music";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile file(temp.path() + "/song.mp3");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    const struct {
        QString typed;
        bool accepted;
        QString message;
        bool centred;
    } cases[] = {
        {folder, true, "", false},
        {folder + "/", true, "", false},
        {temp.path() + "/song.mp3", false, "Path does not exist", true},
        {temp.path() + "/missing", false, "Path does not exist", true},
        {"", false, "Path does not exist", true},
        {".", false, "Path does not exist", true}, // relative to wherever the program runs
        {folder + "\n", false, "Line breaks are not allowed here.", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        exchange().currentText = "specified";
        exchange().chosenPath = "before";
        WarningLog warnings;
        TfrmPath dialog;
        dialog.show();
        type(dialog, "tePath", c.typed);
        press(dialog, "Button2");
        if (c.accepted) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(exchange().chosenPath, c.typed.toStdString());
            EXPECT_TRUE(warnings.shown().empty());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(exchange().chosenPath, "before");
            ASSERT_EQ(warnings.shown().size(), 1u);
            EXPECT_EQ(warnings.lastText(), c.message);
            if (c.centred)
                EXPECT_FALSE(warnings.shown()[0].topLeft.has_value());
            else
                EXPECT_EQ(warnings.shown()[0].topLeft, dialog.frameGeometry().topLeft());
            EXPECT_EQ(edit(dialog, "tePath").text(), c.typed);
        }
    }
}

// A destination with placeholders is taken when the folder before its first placeholder exists;
// what it stores keeps "{" doubled only where the text holds a placeholder.
TEST(TfrmPath, PlaceholdersAreTakenBelowAFolderThatExists) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString root = temp.path();
    ASSERT_TRUE(QDir().mkpath(root + "/{old}"));
    const struct {
        QString typed;
        std::optional<std::string> stored; // nothing: refused
        bool templated;
        QString exampleHas;
    } cases[] = {
        {root + "/{year}/{month}", (root + "/{year}/{month}").toStdString(), true,
         "photo.jpg goes to " + root + "/"},
        {root + "/{{old}", (root + "/{old}").toStdString(), false, ""},
        {root + "/{{old}/{ext}", (root + "/{{old}/{ext}").toStdString(), true, "/{old}/jpg"},
        {root + "/missing/{year}", std::nullopt, false, ""},
        {root + "/{colour}", std::nullopt, false, "colour"},
        {"{year}/x", std::nullopt, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        exchange().currentText = "specified";
        exchange().chosenPath = "before";
        exchange().chosenTemplated = false;
        WarningLog warnings;
        TfrmPath dialog;
        dialog.show();
        type(dialog, "tePath", c.typed);
        EXPECT_TRUE(control<QLabel>(dialog, "lbExample").text().contains(c.exampleHas));
        press(dialog, "Button2");
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.stored.has_value());
        EXPECT_EQ(exchange().chosenPath, c.stored.value_or("before"));
        EXPECT_EQ(exchange().chosenTemplated, c.templated);
        EXPECT_EQ(warnings.shown().size(), c.stored ? 0u : 1u);
    }
}

TEST(TfrmPath, InsertPutsThePlaceholderAtTheCursor) {
    exchange().currentText = "/srv/photos";
    TfrmPath dialog;
    auto& box = control<QComboBox>(dialog, "cbPlaceholder");
    box.setCurrentText("{taken.year}");
    edit(dialog, "tePath").setCursorPosition(4);
    press(dialog, "Button4");
    EXPECT_EQ(edit(dialog, "tePath").text(), "/srv{taken.year}/photos");
}

TEST(TfrmPath, BrowseStartsAtTheFieldsFolderElseHomeAndFillsTheField) {
    exchange().currentText = "/srv/old";
    QStringList starts;
    std::optional<QString> answer = QString("/srv/new");
    setFolderPickerHook([&](const QString& start) {
        starts << start;
        return answer;
    });
    TfrmPath dialog;
    press(dialog, "Button1");
    EXPECT_EQ(edit(dialog, "tePath").text(), "/srv/new");
    answer.reset(); // the user cancels the picker
    press(dialog, "Button1");
    EXPECT_EQ(edit(dialog, "tePath").text(), "/srv/new");
    // "/srv/old" does not exist here; the folder the picker gave does not either.
    EXPECT_EQ(starts, (QStringList{QDir::homePath(), QDir::homePath()}));
    type(dialog, "tePath", QDir::tempPath());
    press(dialog, "Button1");
    EXPECT_EQ(starts.last(), QDir::tempPath());
    setFolderPickerHook({});

    exchange().chosenPath = "kept";
    press(dialog, "Button3");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(exchange().chosenPath, "kept");
}

} // namespace
} // namespace lp
