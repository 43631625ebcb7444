// The dialog seams as the program runs them (no test hook): a box or dialog over a window blocks
// that window only, so a window of the program's own, such as the tray icon's, still takes clicks.

#include "widgets/ui_seams.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

struct ModalCase {
    const char* name;
    std::function<void(QWidget& owner)> open; // returns once the box or dialog has closed
};

void PrintTo(const ModalCase& c, std::ostream* out) {
    *out << c.name;
}

class ModalSeam : public testing::TestWithParam<ModalCase> {
protected:
    // The real boxes and dialogs, whatever hooks other tests left behind.
    void SetUp() override {
        lp::setModalHook({});
        lp::setWarningHook({});
    }
};

TEST_P(ModalSeam, BlocksItsOwnerButNotAWindowOfItsOwn) {
    QPushButton owner(QStringLiteral("owner"));
    owner.setGeometry(0, 0, 80, 30);
    owner.show();
    QPushButton separate(QStringLiteral("tray")); // stands for the tray icon's window
    separate.setGeometry(400, 0, 80, 30);
    separate.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&separate));
    // A button some earlier test left pressed would make the clicks below no clicks.
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton})
        QTest::mouseRelease(owner.windowHandle(), button, {}, QPoint(70, 25));
    QSignalSpy clicks(&separate, &QPushButton::clicked);
    QSignalSpy ownerClicks(&owner, &QPushButton::clicked);
    QTimer::singleShot(0, &owner, [&] {
        QWidget* open = QApplication::activeModalWidget();
        ASSERT_NE(open, nullptr);
        // Through the window system, as a real click comes, which a blocked window never gets.
        QTest::mouseClick(separate.windowHandle(), Qt::LeftButton, {}, QPoint(20, 15));
        QTest::mouseClick(owner.windowHandle(), Qt::LeftButton, {}, QPoint(20, 15));
        if (auto* dialog = qobject_cast<QDialog*>(open))
            dialog->reject();
    });
    GetParam().open(owner);
    EXPECT_EQ(ownerClicks.count(), 0) << "the window under the box waits for it";
    EXPECT_EQ(clicks.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Seams, ModalSeam,
    testing::Values(ModalCase{"Dialog",
                              [](QWidget& owner) {
                                  QDialog dialog(&owner);
                                  lp::runModal(dialog);
                              }},
                    ModalCase{"WarningBox",
                              [](QWidget& owner) {
                                  lp::showWarning(&owner, QStringLiteral("Refused"), QPoint(0, 0));
                              }}),
    [](const testing::TestParamInfo<ModalCase>& p) { return std::string(p.param.name); });

} // namespace
