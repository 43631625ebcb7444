#include "desktop/settings_store.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("nested/settings.ini")); }
};

TEST_F(SettingsStoreTest, KeyAndValueNamesMatchWithoutCase) {
    lp::SettingsStore store(path());
    ASSERT_TRUE(store.write("SOFTWARE/Larchpost", "AutoStart", 1));
    ASSERT_TRUE(store.write("Software/Larchpost/Main", "Left", 70));

    // Both spellings of the program key land in one section of the file.
    EXPECT_TRUE(store.keyExists("software/LARCHPOST"));
    EXPECT_TRUE(store.keyExists("SOFTWARE/Larchpost/main"));
    EXPECT_FALSE(store.keyExists("SOFTWARE/Other"));
    EXPECT_EQ(store.read("software/larchpost/MAIN", "left")->toInt(), 70);
    EXPECT_EQ(store.read("Software/Larchpost", "autostart")->toInt(), 1);

    // Rewriting under another spelling replaces the value instead of adding a second one.
    ASSERT_TRUE(store.write("SOFTWARE/LARCHPOST/MAIN", "LEFT", 80));
    lp::SettingsStore reread(path());
    EXPECT_EQ(reread.read("Software/Larchpost/Main", "Left")->toInt(), 80);
    QSettings raw(path(), QSettings::IniFormat);
    EXPECT_EQ(raw.childGroups(), QStringList{"SOFTWARE"});
    raw.beginGroup("SOFTWARE/Larchpost/Main");
    EXPECT_EQ(raw.childKeys(), QStringList{"Left"});
}

TEST_F(SettingsStoreTest, AbsentKeysAndValuesReadAsNothing) {
    lp::SettingsStore store(path());
    EXPECT_FALSE(store.keyExists("SOFTWARE/Larchpost"));
    EXPECT_FALSE(store.read("SOFTWARE/Larchpost", "AutoStart").has_value());
    ASSERT_TRUE(store.write("SOFTWARE/Larchpost", "AutoStart", 0));
    EXPECT_FALSE(store.read("SOFTWARE/Larchpost", "Missing").has_value());
    EXPECT_FALSE(store.read("SOFTWARE/Larchpost/Main", "AutoStart").has_value());
}

TEST_F(SettingsStoreTest, RemoveTakesTheValueWhateverItsSpelling) {
    lp::SettingsStore store(path());
    ASSERT_TRUE(store.write("Software/Run", "Larchpost", "x"));
    ASSERT_TRUE(store.remove("SOFTWARE/RUN", "LARCHPOST"));
    EXPECT_FALSE(store.read("Software/Run", "Larchpost").has_value());
    EXPECT_TRUE(store.remove("Software/Run", "NeverThere"));
}

TEST_F(SettingsStoreTest, UnwritableFileIsReportedAsFailure) {
    // The file's place is taken by a folder, so it can never be written.
    ASSERT_TRUE(QDir().mkpath(path()));
    lp::SettingsStore store(path());
    EXPECT_FALSE(store.write("SOFTWARE/Larchpost", "AutoStart", 1));
    EXPECT_FALSE(store.ok());
}

} // namespace
