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

// The first line that is not what the layout expects stops reading; later reads change nothing.
TEST(KeyReader, StopsAtTheFirstLineThatIsNotTheExpectedKey) {
    struct Case {
        const char* content;
        ContentEnd end;
        std::int64_t line;
        const char* what;
    };
    const Case cases[] = {
        {"name=a\r\nother=b\r\n", ContentEnd::Complete, 2, "Expected name=, found other=b."},
        {"name=a\r\n[Rule 2]\r\n", ContentEnd::Complete, 2, "Expected name=, found [Rule 2]."},
        {"name=a\r\n[x-0]\r\n", ContentEnd::Complete, 2, "Expected name=, found [x-0]."},
        {"name=a\r\n", ContentEnd::Complete, 2, "Expected name=, found the end of the file."},
        {"name=a\r\n[skip-3]\r\nname=b\r\n", ContentEnd::Complete, 4,
         "Expected name=, found the end of the file."},
        {"name=a\r\n", ContentEnd::Unreadable, 2, "Error Reading Input File: name"},
        {"name=a\r\n", ContentEnd::CutAtLimit, 2,
         "The file is larger than 4 MiB; it was read up to that size."},
    };
    for (const Case& c : cases) {
        LineSource lines(c.content, c.end);
        KeyReader reader(lines);
        std::string first;
        std::string second = "before";
        EXPECT_EQ(reader.ReadStrKey("name", first), 0) << c.content;
        EXPECT_EQ(reader.ReadStrKey("name", second), -1) << c.content;
        EXPECT_EQ(second, "before") << c.content;
        ASSERT_TRUE(reader.Problem()) << c.content;
        EXPECT_EQ(reader.Problem()->line, c.line) << c.content;
        EXPECT_EQ(reader.Problem()->what, c.what) << c.content;
        std::int32_t number = 7;
        EXPECT_EQ(reader.ReadIntKey("name", number), -1);
        EXPECT_EQ(number, 7);
        EXPECT_EQ(reader.Problem()->what, c.what) << "the first problem stays";
    }
}

TEST(KeyReader, FindsATagOnTheLastLineOnlyAsTheFirstLineRead) {
    LineSource first("[Rule 1]\r\n");
    EXPECT_EQ(KeyReader(first).FindSection("[Rule 1]"), 0);
    LineSource later("junk\r\n[Rule 1]\r\n");
    KeyReader reader(later);
    EXPECT_EQ(reader.FindSection("[Rule 1]"), -1);
    ASSERT_TRUE(reader.Problem());
    EXPECT_EQ(reader.Problem()->line, 1);
    EXPECT_EQ(reader.Problem()->what, "Error reading alarm file.  Tag, [Rule 1] not found.");
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
