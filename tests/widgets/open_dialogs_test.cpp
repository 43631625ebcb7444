#include "widgets/open_dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace lp {
namespace {

// A later start brings forward the box that holds up the program, whatever covers or shrinks it;
// one that cannot be answered stays where it is.
TEST(RaiseOpenDialog, BringsForwardOnlyABoxThatCanBeAnswered) {
    const struct {
        const char* what;
        bool minimised;
        bool disabled;
        bool comesForward;
    } cases[] = {
        {"covered", false, false, true},
        {"minimised", true, false, true},
        {"disabled", false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QWidget other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        // A box of its own, as the start shows one before there is any window.
        QMessageBox box(QMessageBox::Warning, "Larchpost", "The configuration file was not read.",
                        QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        ASSERT_EQ(QApplication::activeModalWidget(), &box);
        box.setEnabled(!c.disabled);
        if (c.minimised)
            box.setWindowState(Qt::WindowMinimized);
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }));

        raiseOpenDialog();
        if (c.comesForward) {
            EXPECT_FALSE(box.isMinimized());
            EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &box; }));
        } else {
            QTest::qWait(50);
            EXPECT_EQ(QApplication::activeWindow(), &other);
        }
    }
}

TEST(RaiseOpenDialog, WithoutAnOpenDialogNothingMoves) {
    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
    raiseOpenDialog();
    EXPECT_EQ(QApplication::activeWindow(), &window);
}

} // namespace
} // namespace lp
