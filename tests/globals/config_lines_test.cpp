// Classifying single lines and converting single values.

#include "globals/config_lines.h"

#include <gtest/gtest.h>

#include <vector>

namespace lp::config {
namespace {

TEST(SplitLine, ClassifiesEveryKindOfLine) {
    struct Row {
        const char* line;
        int n;
        const char* key;
        const char* value;
    };
    const std::vector<Row> rows = {
        {"key=value", 0, "key", "value"},
        {"a=b=c", 0, "a", "b=c"},
        {" spaced = x ", 0, " spaced ", " x "},
        {"", 0, "", ""},
        {"=only", 0, "", "only"},
        {"nokey", 0, "nokey", ""},
        {"[Main Info]", -1, "", ""},
        {"[Service 12]", -1, "", ""},
        {"[skip-2]", 2, "", ""},
        {"x=[a-3]", 3, "", ""},
        {"[x-0]", -1, "", ""},
        {"[x--4]", -1, "", ""},
        {"[x-+4]", 4, "", ""},
        {"[x-4", -1, "", ""},
        {"[a]-3", -1, "", ""},
        {"[x-99999999999]", -1, "", ""},
    };
    for (const Row& row : rows) {
        const SplitResult split = SplitLine(row.line);
        EXPECT_EQ(split.n, row.n) << row.line;
        EXPECT_EQ(split.key, row.key) << row.line;
        EXPECT_EQ(split.value, row.value) << row.line;
    }
}

TEST(ParseVersion, PointFirstThenTheSystemSeparator) {
    struct Row {
        const char* text;
        char separator;
        std::optional<double> expected;
    };
    const std::vector<Row> rows = {
        {"1.00", '.', 1.0},           {"0.9", ',', 0.9},
        {"1,00", ',', 1.0},           {"1,00", '.', std::nullopt},
        {"1.0,0", ',', std::nullopt}, {"", '.', std::nullopt},
        {"1.00 ", '.', std::nullopt}, {"inf", '.', std::nullopt},
        {"nan", '.', std::nullopt},   {"2", '.', 2.0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ParseVersion(row.text, row.separator), row.expected) << row.text;
}

TEST(ParseDecimal, AcceptsOnlyWholeThirtyTwoBitNumbers) {
    EXPECT_EQ(ParseDecimal("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    for (const char* bad : {"", "-", "+", "2147483648", "1 ", " 1", "0x10", "1e3", "+-1"})
        EXPECT_EQ(ParseDecimal(bad), std::nullopt) << bad;
}

TEST(KeyReader, ReportsUnreadableLinesAndStoresMismatchedKeys) {
    std::vector<std::string> messages;
    MessageSink sink = [&](const std::string& m) { messages.push_back(m); };
    LineSource lines("other=kept\r\n", /*readFailed=*/true);
    KeyReader reader(lines, sink);
    std::string field = "before";
    EXPECT_EQ(reader.ReadStrKey("name", field), -1);
    EXPECT_EQ(field, "kept");
    EXPECT_FALSE(reader.Incomplete());
    EXPECT_EQ(reader.ReadStrKey("name", field), -1);
    EXPECT_EQ(field, "");
    EXPECT_EQ(messages, std::vector<std::string>{"Error Reading Input File: name"});
    EXPECT_TRUE(reader.Incomplete());
}

TEST(KeyReader, FindsATagOnTheLastLineOnlyAsTheFirstLineRead) {
    std::vector<std::string> messages;
    MessageSink sink = [&](const std::string& m) { messages.push_back(m); };
    LineSource first("[Rule 1]\r\n");
    EXPECT_EQ(KeyReader(first, sink).FindSection("[Rule 1]"), 0);
    LineSource later("junk\r\n[Rule 1]\r\n");
    EXPECT_EQ(KeyReader(later, sink).FindSection("[Rule 1]"), -1);
    EXPECT_EQ(messages,
              std::vector<std::string>{"Error reading alarm file.  Tag, [Rule 1] not found."});
}

TEST(WriteKeys, BooleansAreInvertedAndLinesEndInCrLf) {
    std::string out;
    WriteBoolKey(out, "on", true);
    WriteBoolKey(out, "off", false);
    WriteIntKey(out, "n", -12);
    WriteStrKey(out, "SMTP Server", "");
    EXPECT_EQ(out, "on=0\r\noff=1\r\nn=-12\r\nSMTP Server=\r\n");
}

} // namespace
} // namespace lp::config
