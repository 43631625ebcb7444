#pragma once
// The record of the copies and moves that write a new file while they are under way. For a moment
// such an operation gives files names of ours: the copy being written in the destination folder
// (".larchpost-copy-<id>"), a link being made there (".larchpost-link-<id>"), and the source
// taken from its name before it goes (".larchpost-move-<id>" in its own folder), and the file a
// move replaces, kept aside until the move is done (".larchpost-kept-<id>"). A program killed
// then leaves them behind. Each operation's record is written before the first of those names
// exists and ended when none is left, so the next start can tell what they were and where the
// file belongs. One write for each, and nothing forced to the disk: the system keeps what was
// written when the program dies.

#include "problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lp::platform {

enum class JournalKind : char { Move = 'm', Copy = 'c', LinkMove = 'l' };

struct JournalRecord {
    std::string id; // letters and digits, part of each name of ours
    JournalKind kind = JournalKind::Move;
    std::string source;
    std::string destination;
    // The source as the operation began (a link's own).
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const JournalRecord&) const = default;
};

// The names of ours an operation's record stands for.
std::string ClaimPath(const JournalRecord& record);
std::string CopyPath(const JournalRecord& record);
std::string LinkPath(const JournalRecord& record);
std::string KeptPath(const JournalRecord& record);

// The journal's lines: a record when its operation begins, its id again when it ends. Any bytes
// may stand in a path: each is written with its length before it.
std::string RecordLine(const JournalRecord& record);
std::string EndLine(const std::string& id);
// The records whose end the content does not hold, in the order they began. A line cut short (the
// program killed as it wrote it) counts as not written.
std::vector<JournalRecord> UnfinishedRecords(std::string_view content);

struct JournalStart {
    std::vector<JournalRecord> unfinished; // left by programs that were stopped part way
    Problem problem;                       // why this run's operations go unrecorded
};

// Keeps the records of this process's operations in the file at path from now on, its folder
// made when missing, and gives back what stopped programs left in it. A file that another running
// program holds is left to it: this one then writes "<path>.2" (up to ".9"). Without a journal
// operations go on unrecorded.
JournalStart OpenMoveJournal(const std::string& path);
// Once the records OpenMoveJournal gave back are dealt with: the journal keeps only stillOpen.
void SettleUnfinishedRecords(const std::vector<JournalRecord>& stillOpen);

// One operation's record, written as it is made and ended as it goes out of scope.
class JournalEntry {
public:
    JournalEntry(JournalKind kind, std::string source, std::string destination, std::uint64_t size,
                 std::int64_t modifiedNs);
    ~JournalEntry();
    JournalEntry(const JournalEntry&) = delete;
    JournalEntry& operator=(const JournalEntry&) = delete;

    const JournalRecord& record() const { return record_; }
    // A name of ours stays although the operation is over (a source that could not be given its
    // name back): the record stays for the next start to deal with.
    void keep() { kept_ = true; }

private:
    JournalRecord record_;
    bool kept_ = false;
};

// While one lives, the records that this thread's operations end are not ended yet: each stays
// in the journal until the holder goes, so that an operation's record outlives the line that
// writes down what it did (the activity log's). A program killed in between leaves the record,
// and the next start finds the line. Holders nest; the outermost ends the records.
class JournalEndsHeld {
public:
    JournalEndsHeld();
    ~JournalEndsHeld();
    JournalEndsHeld(const JournalEndsHeld&) = delete;
    JournalEndsHeld& operator=(const JournalEndsHeld&) = delete;

private:
    friend class JournalEntry;
    struct Held {
        JournalRecord record;
        bool kept;
    };
    std::vector<Held> held_;
    JournalEndsHeld* outer_;
};

} // namespace lp::platform
