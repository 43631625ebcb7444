// The [Options] group of the settings file: what each value means, and what a value not
// understood comes to.

#include "desktop/stored_options.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lp {
namespace {

class StoredOptionsTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("settings.ini")); }
    void writeFile(const QByteArray& text) const {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    StoredOptions read() {
        said.clear();
        const SettingsStore store(path());
        return ReadStoredOptions(store, [this](const std::string& line) { said.push_back(line); });
    }

    QTemporaryDir dir;
    std::vector<std::string> said;
};

TEST_F(StoredOptionsTest, ValuesAreReadAsWrittenByHandAndNotUnderstoodOnesAreSaidOnce) {
    struct Case {
        QByteArray file;
        StoredOptions expected;
        std::size_t messages;
    };
    const Case cases[] = {
        {"", {}, 0},
        {"[Options]\nNameClash=replace\nDeleteToTrash=false\nPaused=false\n", {}, 0},
        {"[Options]\nNameClash=keep-both\n", {{NameClash::KeepBoth, false}, false}, 0},
        {"[Options]\nNameClash=Leave\nDeleteToTrash=TRUE\n", {{NameClash::Leave, true}, false}, 0},
        {"[options]\nnameclash = leave\npaused=true\n", {{NameClash::Leave, false}, true}, 0},
        {"[Options]\nNameClash=keep both\n", {}, 1},
        {"[Options]\nNameClash=\nDeleteToTrash=yes\nPaused=1\n", {}, 3},
        {"[Main]\nNameClash=leave\n", {}, 0}, // another group's value is not an option
        {"[Options]\nNameClash=leave, replace\nPaused=true\n", {{}, true}, 1},
    };
    for (const Case& c : cases) {
        writeFile(c.file);
        EXPECT_EQ(read(), c.expected) << c.file.toStdString();
        EXPECT_EQ(said.size(), c.messages) << c.file.toStdString();
    }
    // The message names the value and what counts instead.
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("NameClash=leave, replace"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("replace is used"), std::string::npos) << said[0];
}

TEST_F(StoredOptionsTest, WrittenOptionsReadBackAndKeepOtherGroups) {
    writeFile("[Main]\nLeft=70\n");
    const StoredOptions cases[] = {
        {{NameClash::KeepBoth, true}, true},
        {{NameClash::Leave, false}, false},
        {{NameClash::Replace, true}, false},
    };
    for (const StoredOptions& options : cases) {
        SettingsStore store(path());
        ASSERT_TRUE(WriteStoredOptions(store, options));
        EXPECT_EQ(read(), options);
        EXPECT_TRUE(said.empty());
        EXPECT_EQ(SettingsStore(path()).read("Main", "Left")->toInt(), 70);
    }
}

} // namespace
} // namespace lp
