#include "support/scoped_variable.h"
#include "support/throwaway_home.h"

#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Forms need a QApplication; the offscreen platform lets them run without a display. The tests
// run in a home of their own (see throwaway_home.h), and Qt's standard paths are its test ones,
// inside that home, wherever a test leaves them to Qt.
int main(int argc, char** argv) {
    return lp::test::runInThrowawayHome([&] {
        const lp::test::ScopedVariable offscreen("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        return RUN_ALL_TESTS();
    });
}
