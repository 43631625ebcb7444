#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Forms need a QApplication; the offscreen platform lets them run without a display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The user's configuration folder is a fresh one for the run, so that no test reaches the
    // real settings or auto-start file of whoever runs the tests.
    QTemporaryDir configHome;
    if (!configHome.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
