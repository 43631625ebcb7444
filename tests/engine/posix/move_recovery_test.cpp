// What the next start makes of each state a move or copy across file systems can be killed in:
// the journal's record as the killed program wrote it, the files as it left them, then the files
// and the activity log after the start's recovery.

#include "engine/failure_reason.h"
#include "engine/move_recovery.h"
#include "globals/temp_folder.h"
#include "platform/file_operations.h"
#include "platform/held_folder.h"
#include "platform/move_journal.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace lp {
namespace {

namespace fs = std::filesystem;
using platform::JournalKind;
using platform::JournalRecord;

// What a file is in a case: its folder-relative name and its content.
using Files = std::map<std::string, std::string>;

// The line the killed program had written for the operation before it died, if any.
enum class Prior {
    None,
    Done,      // the operation's line: done, leaving the file now at the destination
    DoneOther, // a line of the same move that left another file there (an earlier one)
    Failed,    // the operation's line: failed
};

struct Case {
    const char* what;
    JournalKind kind;
    // "CLAIM", "COPY", "LINKTMP" and "KEPT" stand for the names of ours; a content "=path" is a
    // second name of the file at path.
    Files before;
    Files after;        // every file there afterwards
    const char* logged; // the operation line the start writes, "" for none
    Prior prior = Prior::None;
    bool claimOpenForWriting = false; // a program holds the taken source open to write to it
};

constexpr const char* kFile = "the file's bytes";

const Case kCases[] = {
    {"killed before anything had a name of ours",
     JournalKind::Move,
     {{"in/a.txt", kFile}},
     {{"in/a.txt", kFile}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the copy half written under its temporary name",
     JournalKind::Move,
     {{"in/a.txt", kFile}, {"COPY", "the file"}},
     {{"in/a.txt", kFile}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the source taken, the copy not yet placed",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"COPY", kFile}},
     {{"in/a.txt", kFile}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the source taken, an older file at the destination",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"out/a.txt", "an older file"}},
     {{"in/a.txt", kFile}, {"out/a.txt", "an older file"}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the source taken, a new file at its name meanwhile",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"in/a.txt", "newcomer"}},
     {{"in/a.txt", "newcomer"}, {"in/a (2).txt", kFile}},
     R"(move "IN/a.txt" "IN/a (2).txt")"},
    {"the copy placed, the source not yet removed",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"the copy placed, the source still at its name",
     JournalKind::Move,
     {{"in/a.txt", kFile}, {"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"done, but the record not yet ended",
     JournalKind::Move,
     {{"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"a copy half written",
     JournalKind::Copy,
     {{"in/a.txt", kFile}, {"COPY", "the"}},
     {{"in/a.txt", kFile}},
     R"(failed copy "IN/a.txt" "OUT/a.txt")"},
    {"a link made beside its destination",
     JournalKind::LinkMove,
     {{"in/a.txt", kFile}, {"LINKTMP", kFile}},
     {{"in/a.txt", kFile}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"a link placed, its source taken",
     JournalKind::LinkMove,
     {{"CLAIM", kFile}, {"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"done and logged, but the record not yet ended",
     JournalKind::Move,
     {{"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     "",
     Prior::Done},
    {"a copy done and logged, but the record not yet ended",
     JournalKind::Copy,
     {{"in/a.txt", kFile}, {"out/a.txt", kFile}},
     {{"in/a.txt", kFile}, {"out/a.txt", kFile}},
     "",
     Prior::Done},
    {"failed and logged, but the record not yet ended",
     JournalKind::Move,
     {{"in/a.txt", kFile}},
     {{"in/a.txt", kFile}},
     "",
     Prior::Failed},
    {"done after an earlier failure was logged",
     JournalKind::Move,
     {{"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")",
     Prior::Failed},
    {"a copy done after an earlier failure was logged",
     JournalKind::Copy,
     {{"in/a.txt", kFile}, {"out/a.txt", kFile}},
     {{"in/a.txt", kFile}, {"out/a.txt", kFile}},
     R"(copy "IN/a.txt" "OUT/a.txt")",
     Prior::Failed},
    {"a file to be replaced kept aside, the copy not yet placed",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"out/a.txt", "the user's file"}, {"KEPT", "=out/a.txt"}},
     {{"in/a.txt", kFile}, {"out/a.txt", "the user's file"}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the copy placed over a file kept aside, the source not yet removed",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"out/a.txt", kFile}, {"KEPT", "the user's file"}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    // A copy stands only while its source is taken: with none taken, the move was done, and a
    // file at the source's name arrived since, or is another folder's, reached through a link.
    {"the copy placed over a file kept aside, the source removed, another file at its name",
     JournalKind::Move,
     {{"in/a.txt", "arrived since"}, {"out/a.txt", kFile}, {"KEPT", "the user's file"}},
     {{"in/a.txt", "arrived since"}, {"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"a file kept aside, another file at the destination since, the source at its name",
     JournalKind::Move,
     {{"in/a.txt", kFile}, {"out/a.txt", "saved since"}, {"KEPT", "the user's file"}},
     {{"in/a.txt", kFile}, {"out/a.txt", "saved since"}, {"out/a (2).txt", "the user's file"}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the copy placed, the source taken and written to",
     JournalKind::Move,
     {{"CLAIM", "written to since it was copied"}, {"out/a.txt", kFile}},
     {{"in/a.txt", "written to since it was copied"}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"the copy placed, the source removed, another file at its name",
     JournalKind::Move,
     {{"in/a.txt", "arrived since"}, {"out/a.txt", kFile}},
     {{"in/a.txt", "arrived since"}, {"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"the source taken and written to, its copy taken back, the file kept aside back",
     JournalKind::Move,
     {{"CLAIM", "written to since it was copied"}, {"out/a.txt", "the user's file"}},
     {{"in/a.txt", "written to since it was copied"}, {"out/a.txt", "the user's file"}},
     R"(failed move "IN/a.txt" "OUT/a.txt")"},
    {"done, the file it replaced still kept aside",
     JournalKind::Move,
     {{"out/a.txt", kFile}, {"KEPT", "the user's file"}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")"},
    {"the copy placed, the source taken and open for writing",
     JournalKind::Move,
     {{"CLAIM", kFile}, {"out/a.txt", kFile}},
     {{"in/a.txt", kFile}},
     R"(failed move "IN/a.txt" "OUT/a.txt")",
     Prior::None,
     true},
    {"done, an earlier move of the name logged",
     JournalKind::Move,
     {{"out/a.txt", kFile}},
     {{"out/a.txt", kFile}},
     R"(move "IN/a.txt" "OUT/a.txt")",
     Prior::DoneOther},
};

class MoveRecoveryTest : public testing::Test {
protected:
    std::string at(const std::string& name) const { return temp.file(name); }

    JournalRecord record(JournalKind kind) const {
        struct stat status {};
        JournalRecord made{"Ab12Cd34Ef56", kind, at("in/a.txt"), at("out/a.txt"), 0, 0};
        // The source as the operation began: the bytes and write time every whole copy keeps.
        test::writeBytes(at("original"), kFile);
        ::stat(at("original").c_str(), &status);
        made.size = static_cast<std::uint64_t>(status.st_size);
        made.modifiedNs = static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 +
                          status.st_mtim.tv_nsec;
        return made;
    }

    // Writes a file as a killed operation left it: whole copies keep the source's write time.
    void place(const std::string& path, const std::string& content) const {
        test::writeBytes(path, content);
        if (content == kFile) {
            struct stat status {};
            ::stat(at("original").c_str(), &status);
            const timespec times[2] = {status.st_atim, status.st_mtim};
            ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        }
    }

    Files filesIn(const std::initializer_list<const char*> folders) const {
        Files files;
        for (const char* folder : folders)
            for (const auto& entry : fs::directory_iterator(at(folder)))
                files[std::string(folder) + '/' + entry.path().filename().string()] =
                    test::readBytes(entry.path().string());
        return files;
    }

    test::TempFolder temp;
};

TEST_F(MoveRecoveryTest, EachStateAKillLeavesEndsWithTheFileOnceWhereItBelongs) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        for (const char* folder : {"in", "out", "state"}) {
            fs::remove_all(at(folder));
            fs::create_directories(at(folder));
        }
        const JournalRecord made = record(c.kind);
        const std::map<std::string, std::string> ours = {{"CLAIM", platform::ClaimPath(made)},
                                                         {"COPY", platform::CopyPath(made)},
                                                         {"LINKTMP", platform::LinkPath(made)},
                                                         {"KEPT", platform::KeptPath(made)}};
        for (const bool seconds : {false, true})
            for (const auto& [name, content] : c.before)
                if (content.starts_with('=') == seconds && seconds)
                    fs::create_hard_link(at(content.substr(1)),
                                         ours.count(name) ? ours.at(name) : at(name));
                else if (content.starts_with('=') == seconds)
                    place(ours.count(name) ? ours.at(name) : at(name), content);
        // Another operation that had ended, and a record cut short as the program died.
        const std::string ended = platform::RecordLine({"Zz99Yy88Xx77", JournalKind::Move,
                                                        at("in/b"), at("out/b"), 1, 1}) +
                                  platform::EndLine("Zz99Yy88Xx77");
        const std::string cut = platform::RecordLine(made).substr(0, 20);
        test::writeBytes(at("state/moves"), ended + platform::RecordLine(made) + cut);

        std::string priorLine;
        if (c.prior != Prior::None) {
            ActivityEntry prior;
            prior.time = "2026-12-08T09:12:33+01:00";
            prior.folder = "Inbox";
            prior.rule = "Sort";
            prior.failed = c.prior == Prior::Failed;
            prior.action = c.kind == JournalKind::Copy ? "copy" : "move";
            prior.values = {at("in/a.txt"), at("out/a.txt")};
            if (c.prior == Prior::Done)
                prior.identity = platform::IdentifyFile(at("out/a.txt"));
            else if (c.prior == Prior::DoneOther)
                prior.identity = platform::FileIdentity{1, 2, 3, 4};
            priorLine = FormatActivityLine(prior) + '\n';
            // Older lines before it, enough to fill the part of the log that is read.
            std::string older;
            for (int i = 0; i < 4000; ++i)
                older += "2026-12-08T09:00:00+01:00 \"Inbox\" \"Sort\" delete \"/in/x\"\n";
            test::writeBytes(at("state/activity.log.1"), older);
            test::writeBytes(at("state/activity.log"), priorLine);
        }
        ActivityLog log(at("state/activity.log"));
        std::vector<std::string> said;
        const MessageSink say = [&](const std::string& message) { said.push_back(message); };
        const int writer =
            c.claimOpenForWriting ? ::open(ours.at("CLAIM").c_str(), O_WRONLY | O_CLOEXEC) : -1;
        const std::vector<std::string> sortAgain =
            RecoverInterruptedOperations(at("state/moves"), log, say);
        if (writer >= 0)
            ::close(writer);

        EXPECT_EQ(filesIn({"in", "out"}), c.after);
        EXPECT_TRUE(said.empty()) << said.front();
        std::string line = test::readBytes(at("state/activity.log"));
        ASSERT_TRUE(line.starts_with(priorLine)) << line;
        line.erase(0, priorLine.size());
        // The journal keeps nothing: a second start finds nothing to do.
        EXPECT_TRUE(platform::UnfinishedRecords(test::readBytes(at("state/moves"))).empty());
        if (*c.logged == '\0') {
            EXPECT_EQ(line, "") << "the line the killed program wrote is not written again";
            EXPECT_TRUE(sortAgain.empty());
            continue;
        }
        const auto entry = ParseActivityLine(line);
        ASSERT_TRUE(entry) << line;
        EXPECT_EQ(entry->rule, kRecoveredRule);
        // A file not brought where it belongs is to be sorted again: where it now stands.
        std::vector<std::string> undone;
        if (entry->failed)
            undone = {entry->values[0]};
        else if (entry->values[1] != at("out/a.txt"))
            undone = {entry->values[1]};
        EXPECT_EQ(sortAgain, undone);
        EXPECT_EQ(entry->reason, entry->failed ? std::string(kEndedMidway) : "");
        for (const auto& [mark, folder] : {std::pair{"IN/", "in/"}, std::pair{"OUT/", "out/"}})
            for (auto found = line.find(at(folder)); found != std::string::npos;
                 found = line.find(at(folder)))
                line.replace(found, at(folder).size(), mark);
        EXPECT_NE(line.find(std::string(" ") + c.logged), std::string::npos) << line;
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line only";
    }
}

// An operation's record outlives the operation while its log line is being written: ended only
// when the outermost holder goes, so that a kill before the line leaves the record.
TEST_F(MoveRecoveryTest, ARecordHeldForItsLineStaysUntilTheHolderGoes) {
    fs::create_directories(at("state"));
    ASSERT_FALSE(platform::OpenMoveJournal(at("state/moves")).problem);
    const auto unfinished = [&] {
        return platform::UnfinishedRecords(test::readBytes(at("state/moves"))).size();
    };
    {
        const platform::JournalEndsHeld outer;
        {
            const platform::JournalEndsHeld inner;
            { const platform::JournalEntry operation(JournalKind::Move, "/in/a", "/out/a", 1, 1); }
            EXPECT_EQ(unfinished(), 1u) << "ended with its operation";
        }
        EXPECT_EQ(unfinished(), 1u) << "ended by the inner holder";
        { const platform::JournalEntry other(JournalKind::Copy, "/in/b", "/out/b", 1, 1); }
        EXPECT_EQ(unfinished(), 2u);
    }
    EXPECT_EQ(unfinished(), 0u);
    { const platform::JournalEntry unheld(JournalKind::Move, "/in/c", "/out/c", 1, 1); }
    EXPECT_EQ(unfinished(), 0u) << "without a holder a record ends with its operation";
}

// An operation on files reached through folders held open records them by the paths their
// folders have, which a later start can follow, never by the paths of the held folders.
TEST_F(MoveRecoveryTest, ARecordNamesFilesInHeldFoldersByTheirLastingPaths) {
    for (const char* folder : {"state", "in/sub", "out/made"})
        fs::create_directories(at(folder));
    test::writeBytes(at("in/sub/a.txt"), kFile);
    ASSERT_FALSE(platform::OpenMoveJournal(at("state/moves")).problem);
    const auto source = platform::HoldSubFolder(at("in"), "sub");
    const auto destination = platform::HoldSubFolder(at("out"), "made");
    ASSERT_TRUE(source && destination);
    const platform::JournalEndsHeld held;
    ASSERT_FALSE(
        platform::CopyFileReplacing(source->path() + "/a.txt", destination->path() + "/a.txt"));
    const auto records = platform::UnfinishedRecords(test::readBytes(at("state/moves")));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].source, fs::canonical(at("in/sub/a.txt")).string());
    EXPECT_EQ(records[0].destination, fs::canonical(at("out/made/a.txt")).string());
}

// A link or a second name of another file put at the journal's name is never emptied nor written
// through: the journal takes the name with a file of its own.
TEST_F(MoveRecoveryTest, AJournalNameLeadingToAnotherFileLeavesThatFileAlone) {
    for (const bool hardLink : {false, true}) {
        fs::remove_all(at("state"));
        fs::create_directories(at("state"));
        test::writeBytes(at("state/precious"), "the user's notes");
        if (hardLink)
            fs::create_hard_link(at("state/precious"), at("state/moves"));
        else
            fs::create_symlink(at("state/precious"), at("state/moves"));
        ASSERT_FALSE(platform::OpenMoveJournal(at("state/moves")).problem);
        platform::SettleUnfinishedRecords({});
        { const platform::JournalEntry operation(JournalKind::Move, "/in/a", "/out/a", 1, 1); }
        EXPECT_EQ(test::readBytes(at("state/precious")), "the user's notes") << hardLink;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at("state/moves")))) << hardLink;
    }
}

TEST(MoveJournalLines, AnyBytesInANameComeBackAsTheyWere) {
    const JournalRecord odd{"Ab12Cd34Ef56",
                            JournalKind::LinkMove,
                            "/in/line\nbreak \xff 12:3 E x",
                            "/out/ B x\n",
                            7,
                            -5};
    const JournalRecord plain{"Gh78Ij90Kl12", JournalKind::Copy, "/in/a", "/out/a", 0, 0};
    const auto read =
        platform::UnfinishedRecords(platform::RecordLine(odd) + platform::RecordLine(plain));
    EXPECT_EQ(read, (std::vector<JournalRecord>{odd, plain}));
}

} // namespace
} // namespace lp
