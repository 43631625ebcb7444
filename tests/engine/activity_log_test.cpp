// The activity log's file: each line in the file as soon as it is appended, repeated failures
// written once, rotation into four older files (also by another writer), and a log that cannot
// be written passed over.

#include "engine/activity_log.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace lp {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const std::string& path) {
    std::istringstream in(test::readBytes(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ActivityEntry operation(std::string action, std::vector<std::string> values, bool failed = false,
                        std::string rule = "Rule") {
    ActivityEntry entry;
    entry.time = "2026-12-08T09:12:33+01:00";
    entry.folder = "Folder";
    entry.rule = std::move(rule);
    entry.action = std::move(action);
    entry.values = std::move(values);
    entry.failed = failed;
    return entry;
}

ActivityEntry because(std::string reason, ActivityEntry entry) {
    entry.reason = std::move(reason);
    return entry;
}

class ActivityLogTest : public testing::Test {
protected:
    std::string logPath() const { return temp.file("state/Larchpost/activity.log"); }
    test::TempFolder temp;
    std::vector<std::string> said;
    MessageSink say = [this](const std::string& message) { said.push_back(message); };
};

TEST_F(ActivityLogTest, EachLineIsInTheFileAsSoonAsItIsAppended) {
    ActivityLog log(logPath(), say);
    ActivityEntry timeless = operation("delete", {"/in/b"});
    timeless.time.clear();
    log.append(operation("move", {"/in/a", "/out/a"}));
    EXPECT_EQ(linesOf(logPath()).size(), 1u);
    log.append(timeless);
    const auto lines = linesOf(logPath());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(ParseActivityLine(lines[0]), operation("move", {"/in/a", "/out/a"}));
    const auto second = ParseActivityLine(lines[1]);
    ASSERT_TRUE(second) << lines[1]; // the time given is one the reader takes
    EXPECT_EQ(second->values, timeless.values);
    EXPECT_TRUE(said.empty());
}

TEST_F(ActivityLogTest, ARepeatedFailureIsWrittenOnceUntilItsOperationChanges) {
    struct Step {
        ActivityEntry entry;
        bool written;
    };
    const Step steps[] = {
        {operation("move", {"/in/a", "/out/a"}, true), true},
        {operation("move", {"/in/a", "/out/a"}, true), false},         // the same failure again
        {operation("move", {"/in/b", "/out/b"}, true), true},          // another file
        {operation("move", {"/in/a", "/out/a"}, true, "Other"), true}, // another rule
        {operation("move", {"/in/a", "/out/a"}, true), false},
        {operation("move", {"/in/a", "/elsewhere/a"}, true), true}, // fails differently
        {operation("move", {"/in/a", "/elsewhere/a"}, true), false},
        {operation("copy", {"/in/a", "/elsewhere/a"}, true), true}, // another verb
        {operation("move", {"/in/a", "/elsewhere/a"}), true},       // succeeds at last
        {operation("move", {"/in/a", "/elsewhere/a"}, true), true}, // so a failure is news
        {operation("move", {"/in/a", "/elsewhere/a"}), true},       // successes always count
        {operation("move", {"/in/a", "/elsewhere/a"}), true},
        {operation("launch", {"/bin/p", "/in/a"}, true), true},
        {operation("launch", {"/bin/p", "/in/b"}, true), true}, // launches differ by arguments
        {operation("launch", {"/bin/p", "/in/a"}, true), false},
        {because("Permission denied", operation("delete", {"/in/c"}, true)), true},
        {because("Permission denied", operation("delete", {"/in/c"}, true)), false},
        {because("the file is in use", operation("delete", {"/in/c"}, true)), true}, // new reason
    };
    ActivityLog log(logPath(), say);
    std::vector<ActivityEntry> expected;
    for (const Step& step : steps) {
        log.append(step.entry);
        if (step.written)
            expected.push_back(step.entry);
    }
    std::vector<ActivityEntry> written;
    for (const std::string& line : linesOf(logPath()))
        written.push_back(ParseActivityLine(line).value());
    EXPECT_EQ(written, expected);
}

// The memory of failures does not grow with files that are gone: they are forgotten, while the
// failures of files still there are still written once.
TEST_F(ActivityLogTest, TheFailuresOfFilesThatAreGoneAreForgotten) {
    const std::string kept = temp.file("kept");
    test::writeBytes(kept, "k");
    ActivityLog log(logPath(), say);
    const auto failure = [](const std::string& path) {
        return operation("move", {path, "/missing/x"}, true);
    };
    log.append(failure(kept));
    log.append(operation("launch", {"/bin/p", kept}, true));
    for (int i = 0; i < 3000; ++i)
        log.append(failure(temp.file("gone-" + std::to_string(i))));
    const std::size_t written = linesOf(logPath()).size();
    ASSERT_EQ(written, 3002u);
    log.append(failure(kept));                               // still remembered
    log.append(operation("launch", {"/bin/p", kept}, true)); // so is the launch on it
    EXPECT_EQ(linesOf(logPath()).size(), written);
    log.append(failure(temp.file("gone-0"))); // forgotten: written again should it recur
    EXPECT_EQ(linesOf(logPath()).size(), written + 1);
}

TEST_F(ActivityLogTest, AFullLogIsRotatedIntoFourOlderFiles) {
    const std::string line = FormatActivityLine(operation("delete", {"/in/a"})) + '\n';
    // Room for three lines a file.
    ActivityLog log(logPath(), say, 3 * line.size());
    std::vector<std::size_t> linesPerFile;
    for (int lines = 1; lines <= 20; ++lines)
        log.append(operation("delete", {"/in/a"}));
    const std::vector<std::string> files = ActivityLogFiles(logPath());
    const std::vector<std::string> expectedFiles = {logPath() + ".4", logPath() + ".3",
                                                    logPath() + ".2", logPath() + ".1", logPath()};
    EXPECT_EQ(files, expectedFiles);
    for (const std::string& file : files)
        linesPerFile.push_back(linesOf(file).size());
    // 20 lines: the last two in the log, three in each older file, the five oldest gone.
    EXPECT_EQ(linesPerFile, (std::vector<std::size_t>{3, 3, 3, 3, 2}));
    EXPECT_FALSE(fs::exists(logPath() + ".5"));

    // A line longer than the limit still goes whole into a file of its own.
    log.append(operation("delete", {"/in/" + std::string(4 * line.size(), 'x')}));
    EXPECT_EQ(linesOf(logPath()).size(), 1u);
    EXPECT_EQ(linesOf(logPath() + ".1").size(), 2u);
}

TEST_F(ActivityLogTest, ALogKeptOpenFollowsARotationByAnotherWriter) {
    const std::string line = FormatActivityLine(operation("delete", {"/in/a"})) + '\n';
    ActivityLog sorting(logPath(), say, 3 * line.size());
    sorting.append(operation("delete", {"/in/1"}));
    sorting.append(operation("delete", {"/in/2"}));
    {
        // As the Activity window's undo writes beside the sorting cycles.
        ActivityLog undo(logPath(), say, 3 * line.size());
        undo.append(operation("delete", {"/in/3"}));
        undo.append(operation("delete", {"/in/4"})); // rotates
    }
    sorting.append(operation("delete", {"/in/5"}));
    const auto values = [](const std::string& path) {
        std::vector<std::string> paths;
        for (const std::string& text : linesOf(path))
            paths.push_back(ParseActivityLine(text).value().values.at(0));
        return paths;
    };
    EXPECT_EQ(values(logPath() + ".1"), (std::vector<std::string>{"/in/1", "/in/2", "/in/3"}));
    EXPECT_EQ(values(logPath()), (std::vector<std::string>{"/in/4", "/in/5"}));
}

TEST_F(ActivityLogTest, ALogThatCannotBeWrittenIsSaidOnceAndPassedOver) {
    struct Case {
        const char* what;
        std::string path;
    };
    test::writeBytes(temp.file("file"), "");
    fs::create_directories(temp.file("folder/activity.log"));
    const Case cases[] = {
        {"a file where its folder should be", temp.file("file/activity.log")},
        {"a folder where the log should be", temp.file("folder/activity.log")},
        {"no state folder at all", ""},
    };
    for (const Case& c : cases) {
        said.clear();
        ActivityLog log(c.path, say);
        for (int i = 0; i < 3; ++i)
            log.append(operation("delete", {"/in/a" + std::to_string(i)}));
        ASSERT_EQ(said.size(), 1u) << c.what;
        EXPECT_NE(said[0].find("activity log"), std::string::npos) << said[0];
    }
}

} // namespace
} // namespace lp
