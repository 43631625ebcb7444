// The type and download-address conditions through the real file format and a real cycle, over
// real content (a PNG, a PDF, text) and real "user.xdg.origin.url" attributes, with a pipe in the
// folder that must never be opened.

#include "engine/cycle_memory.h"
#include "engine/monitor_cycle.h"
#include "engine/passed_over_rules.h"
#include "engine/recording_environment.h"
#include "engine/rule_config_text.h"
#include "engine/simulation_runs.h"
#include "globals/config_file.h"
#include "globals/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <vector>

namespace lp {
namespace {

namespace fs = std::filesystem;
using test::configText;
using test::namesIn;
using test::RuleText;

// Counts how often a file's content is read for its type.
class CountingEnvironment : public test::RecordingEnvironment {
public:
    std::optional<platform::ContentType> readContentType(const std::string& path) override {
        ++contentReads;
        return RecordingEnvironment::readContentType(path);
    }
    int contentReads = 0;
};

const std::string kPngHead("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0", 29);
const std::string kPdfHead = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
const std::string kText = "Shopping list:\nbread\nmilk\n";

struct SampleFile {
    const char* name;
    std::string content;
    const char* origin; // the address attribute, or none
};

// The names tell nothing: the content and the attribute decide.
const std::vector<SampleFile> kSamples = {
    {"fake.png", kText, nullptr},
    {"notes.txt", kText, nullptr},
    {"paper.bin", kPdfHead, "https://bank.example.com/invoices/may.pdf"},
    {"picture.dat", kPngHead, "https://cdn.example.org/a.png"},
};
constexpr const char* kPipe = "pipe"; // never matches, never opened

// Fills the folder; false when its file system keeps no user attributes.
bool fill(const std::string& folder) {
    for (const SampleFile& sample : kSamples) {
        const std::string path = folder + "/" + sample.name;
        test::writeBytes(path, sample.content);
        if (sample.origin != nullptr &&
            ::setxattr(path.c_str(), "user.xdg.origin.url", sample.origin,
                       std::string(sample.origin).size(), 0) != 0)
            return false;
    }
    return ::mkfifo((folder + "/" + kPipe).c_str(), 0600) == 0;
}

std::vector<std::string> allNames() {
    std::vector<std::string> names = {kPipe};
    for (const SampleFile& sample : kSamples)
        names.emplace_back(sample.name);
    std::ranges::sort(names);
    return names;
}

TEST(RuleContentConditions, TypeAndOriginSelectWhatTheFilesHoldThroughTheFileAndACycle) {
    struct Case {
        const char* what;
        std::string version;
        RuleText rule;
        std::vector<std::string> deleted;
        int contentReads; // by the real cycle
        bool passedOver = false;
    };
    const Case cases[] = {
        {"images by content", "2.00", {{"rcond=7", "types=Images"}}, {"picture.dat"}, 4},
        {"documents by content", "2.00", {{"rcond=7", "types=documents"}}, {"paper.bin"}, 4},
        {"a MIME pattern", "2.00", {{"rcond=7", "types=text/*"}}, {"fake.png", "notes.txt"}, 4},
        {"a word and a MIME type",
         "2.00",
         {{"rcond=7", "types=Text;image/png"}},
         {"fake.png", "notes.txt", "picture.dat"},
         4},
        {"a word that is no type matches nothing", "2.00", {{"rcond=7", "types=Pictures"}}, {}, 4},
        {"only what the cheaper condition leaves is read",
         "2.00",
         {{"rcond=0", "ext=png", "rcond=7", "types=Images"}, 2},
         {},
         1},
        {"any one: what a cheaper condition took is not read",
         "2.00",
         {{"anycond=0", "rcond=7", "types=Documents", "rcond=5", "names=notes.*"}, 2},
         {"notes.txt", "paper.bin"},
         3},
        {"a host", "2.00", {{"rcond=8", "origins=*.example.org/*"}}, {"picture.dat"}, 0},
        {"a path", "2.00", {{"rcond=8", "origins=*/invoices/*"}}, {"paper.bin"}, 0},
        {"a file without an address matches no address",
         "2.00",
         {{"rcond=8", "origins=*"}},
         {"paper.bin", "picture.dat"},
         0},
        {"a type in a version-1 file selects nothing", "1.00", {{"rcond=7"}}, {}, 0, true},
        {"an address in a version-1 file selects nothing", "1.00", {{"rcond=8"}}, {}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        const std::string inbox = temp.file("in");
        fs::create_directories(inbox);
        if (!fill(inbox))
            GTEST_SKIP() << "the temporary folder keeps no user attributes";
        ServiceTable table;
        ASSERT_EQ(ReadConfigContent(configText(c.version, inbox, {c.rule}), table,
                                    [](const std::string&) {}),
                  0);
        EXPECT_EQ(PassedOverNotices(table).size(), c.passedOver ? 1u : 0u);
        std::vector<std::string> foreseen;
        for (const std::string& line : test::simulatedLines(table))
            if (line.starts_with("delete \""))
                foreseen.push_back(fs::path(line.substr(8, line.size() - 9)).filename().string());
        std::ranges::sort(foreseen);
        EXPECT_EQ(foreseen, c.deleted) << "the simulation";
        rServiceRules& service = table.services.at(0);
        service.knownready = true;
        CountingEnvironment environment;
        RunServiceTurn(service, false, {}, environment);
        std::vector<std::string> left;
        std::ranges::set_difference(allNames(), c.deleted, std::back_inserter(left));
        EXPECT_EQ(namesIn(inbox), left);
        EXPECT_EQ(environment.contentReads, c.contentReads);
    }
}

// A rule that takes every file while the folder holds more than none, and launches a program
// for each (recorded, never started), so that the files stay for the next turn.
TEST(RuleContentConditions, EachVersionOfAFileIsReadOnceAcrossCycles) {
    test::TempFolder temp;
    const std::string inbox = temp.file("in");
    fs::create_directories(inbox);
    if (!fill(inbox))
        GTEST_SKIP() << "the temporary folder keeps no user attributes";
    RuleText rule{
        {"rcond=7", "types=Images;Text"}, 1, {"raction=4", "fprogram=show", "fparams=mfile"}};
    rule.mcond = FileCount;
    ServiceTable table;
    ASSERT_EQ(
        ReadConfigContent(configText("2.00", inbox, {rule}), table, [](const std::string&) {}), 0);
    struct Step {
        const char* what;
        std::function<void()> change;
        int contentReads;
        std::size_t launches;
    };
    const Step steps[] = {
        {"the first look reads every file", [] {}, 4, 3},
        {"an unchanged folder reads nothing", [] {}, 0, 3},
        {"a file written again is read again",
         [&] { test::writeBytes(inbox + "/fake.png", kPngHead + "more"); }, 1, 3},
        {"a renamed file is the same file",
         [&] { fs::rename(inbox + "/notes.txt", inbox + "/renamed.txt"); }, 0, 3},
        {"a file whose content turned into a document no longer matches",
         [&] { test::writeBytes(inbox + "/renamed.txt", kPdfHead); }, 1, 2},
    };
    CountingEnvironment environment; // its folder watch outlives the memory
    CycleMemory memory;
    bool first = true;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        environment.contentReads = 0;
        environment.launches.clear();
        memory.fit(1);
        RunServiceTurn(table.services.at(0), first, {}, environment, &memory.at(0));
        first = false;
        EXPECT_EQ(environment.contentReads, step.contentReads);
        EXPECT_EQ(environment.launches.size(), step.launches);
    }
}

// A folder in which the type rule took nothing is not passed over as unchanged when a file is
// written again under its own name with content of the type asked for.
TEST(RuleContentConditions, AFileWrittenAgainUnderItsNameIsTypedAgain) {
    test::TempFolder temp;
    const std::string inbox = temp.file("in");
    fs::create_directories(inbox);
    test::writeBytes(inbox + "/picture", kText);
    // The folder last changed a minute ago: a folder of names alone would not be listed again.
    const timespec minuteAgo{::time(nullptr) - 60, 0};
    const timespec times[2] = {minuteAgo, minuteAgo};
    ASSERT_EQ(::utimensat(AT_FDCWD, inbox.c_str(), times, 0), 0);
    RuleText rule{{"rcond=7", "types=Images"}, 1, {"raction=4", "fprogram=show", "fparams=mfile"}};
    rule.mcond = FileCount;
    ServiceTable table;
    ASSERT_EQ(
        ReadConfigContent(configText("2.00", inbox, {rule}), table, [](const std::string&) {}), 0);
    test::RecordingEnvironment environment; // its folder watch outlives the memory
    CycleMemory memory;
    memory.fit(1);
    const std::size_t launchesAfter[] = {0, 0, 1};
    for (int turn = 0; turn < 3; ++turn) {
        SCOPED_TRACE(turn);
        if (turn == 2)
            test::writeBytes(inbox + "/picture", kPngHead);
        environment.launches.clear();
        RunServiceTurn(table.services.at(0), turn == 0, {}, environment, &memory.at(0));
        EXPECT_EQ(environment.launches.size(), launchesAfter[turn]);
    }
}

} // namespace
} // namespace lp
