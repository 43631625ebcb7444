#include "desktop/registry_settings.h"

#include "desktop/settings_store.h"
#include "globals/app_globals.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using lp::RegistryRoot;

class RegistrySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        lp::useSettingsFile(dir.filePath("settings.ini").toStdString());
        lp::app().registry = {};
    }
    void TearDown() override { lp::app().registry = {}; }

    void writeRaw(const QByteArray& content) {
        QFile file(dir.filePath("settings.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        lp::useSettingsFile(dir.filePath("settings.ini").toStdString());
    }

    QTemporaryDir dir;
};

TEST_F(RegistrySettingsTest, FirstRunWritesTheDefaultsThatReadBack) {
    EXPECT_FALSE(lp::programKeyExists());
    ASSERT_TRUE(lp::WriteSettings());
    EXPECT_TRUE(lp::programKeyExists());

    lp::app().registry = {false, 9, 9, 9, 9, 9};
    lp::ReadSettings();
    const lp::RegistrySettings& r = lp::app().registry;
    EXPECT_TRUE(r.AutoStart);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Height, 400);
    EXPECT_EQ(r.Width, 440);
    EXPECT_EQ(r.Left, 50);
    EXPECT_EQ(r.Top, 50);
}

TEST_F(RegistrySettingsTest, StoredValuesWinAndMissingOrBrokenOnesKeepTheirDefaults) {
    writeRaw("[SOFTWARE]\nLarchpost\\AutoStart=0\nLarchpost\\Main\\left=-5\n"
             "Larchpost\\Main\\TOP=abc\nLarchpost\\Main\\Width=99999999999\n");
    EXPECT_TRUE(lp::programKeyExists());
    lp::ReadSettings();
    const lp::RegistrySettings& r = lp::app().registry;
    EXPECT_FALSE(r.AutoStart);
    EXPECT_EQ(r.Left, -5);
    EXPECT_EQ(r.Top, 50);    // not a number
    EXPECT_EQ(r.Width, 440); // beyond 32 bits
    EXPECT_EQ(r.Height, 400);
    EXPECT_EQ(r.Status, 0);
}

TEST_F(RegistrySettingsTest, ReadRegStringTellsAMissingKeyFromAMissingValue) {
    EXPECT_FALSE(lp::ReadRegString(RegistryRoot::LocalMachine, "Software/Run", "Larchpost"));
    ASSERT_FALSE(lp::WriteRegValue(RegistryRoot::LocalMachine, "Software/Run", "Other", "x", 1));
    EXPECT_EQ(lp::ReadRegString(RegistryRoot::LocalMachine, "software/run", "Larchpost"), "");
    ASSERT_FALSE(lp::WriteRegValue(RegistryRoot::LocalMachine, "Software/Run", "Larchpost",
                                   "/opt/lp startup", 1));
    EXPECT_EQ(lp::ReadRegString(RegistryRoot::LocalMachine, "SOFTWARE/RUN", "larchpost"),
              "/opt/lp startup");
}

TEST_F(RegistrySettingsTest, WriteRegValueByKind) {
    struct Case {
        int kind;
        std::string value;
        bool refused;
        std::string readBack;
    };
    const Case cases[] = {
        {1, "text with spaces", false, "text with spaces"},
        {2, "%HOME%/x", false, "%HOME%/x"},
        {3, "42", false, "42"},
        {3, "forty", true, ""},
        {4, std::string("a\0b", 3), false, std::string("a\0b", 3)},
        {5, "x", true, ""},
        {-1, "x", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string name = "v" + std::to_string(c.kind) + c.value.substr(0, 1);
        const auto error =
            lp::WriteRegValue(RegistryRoot::LocalMachine, "K", name, c.value, c.kind);
        EXPECT_EQ(error.has_value(), c.refused);
        if (!c.refused) {
            EXPECT_EQ(lp::ReadRegString(RegistryRoot::LocalMachine, "K", name), c.readBack);
        }
    }
}

TEST_F(RegistrySettingsTest, KindZeroKeepsTheStoredKind) {
    ASSERT_FALSE(lp::WriteRegValue(RegistryRoot::LocalMachine, "K", "bin", "ab", 4));
    ASSERT_FALSE(lp::WriteRegValue(RegistryRoot::LocalMachine, "K", "bin", "cd", 0));
    const auto stored = lp::settingsStore().read("K", "bin");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->typeId(), QMetaType::QByteArray);
    EXPECT_EQ(stored->toByteArray(), "cd");
}

TEST_F(RegistrySettingsTest, DeleteRegValueRemovesOnlyThatValue) {
    ASSERT_FALSE(lp::WriteRegValue(RegistryRoot::LocalMachine, "Run", "Larchpost", "a", 1));
    ASSERT_FALSE(lp::WriteRegValue(RegistryRoot::LocalMachine, "Run", "Other", "b", 1));
    EXPECT_FALSE(lp::DeleteRegValue(RegistryRoot::LocalMachine, "run", "LARCHPOST"));
    EXPECT_EQ(lp::ReadRegString(RegistryRoot::LocalMachine, "Run", "Larchpost"), "");
    EXPECT_EQ(lp::ReadRegString(RegistryRoot::LocalMachine, "Run", "Other"), "b");
}

TEST_F(RegistrySettingsTest, UnwritableStoreFailsWriteSettings) {
    ASSERT_TRUE(QDir().mkpath(dir.filePath("blocked.ini")));
    lp::useSettingsFile(dir.filePath("blocked.ini").toStdString());
    EXPECT_FALSE(lp::WriteSettings());
    EXPECT_TRUE(lp::WriteRegValue(RegistryRoot::LocalMachine, "Run", "Larchpost", "a", 1));
}

} // namespace
