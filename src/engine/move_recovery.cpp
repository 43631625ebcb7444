#include "move_recovery.h"

#include "failure_reason.h"
#include "name_clash.h"
#include "platform/file_identity.h"
#include "platform/file_in_use.h"
#include "platform/file_operations.h"
#include "platform/move_journal.h"
#include "platform/user_folders.h"
#include "platform/utf8_path.h"
#include "recent_activity.h"
#include "same_contents.h"

namespace lp {

namespace {

using platform::FileIdentity;
using platform::IdentifyFile;
using platform::JournalKind;
using platform::JournalRecord;

bool asRecorded(const std::optional<FileIdentity>& file, const JournalRecord& record) {
    return file && file->size == record.size && file->modifiedNs == record.modifiedNs;
}

// Removes a name of ours; true when nothing has it any more.
bool removeOurs(const std::string& path) {
    if (!IdentifyFile(path))
        return true;
    return !platform::DeleteFileEntry(path);
}

// Gives a file of ours the name path, or the first free numbered name beside it when path is
// taken; the name it got, or nothing when it could not be moved.
std::optional<std::string> placeAtOrBeside(const std::string& ours, const std::string& path) {
    return PlaceAsPolicySays(path, NameClash::KeepBoth, [&](const std::string& name, bool) {
        const auto error = platform::MoveFileNoReplace(ours, name);
        if (!error)
            return Placing::Done;
        return error == std::errc::file_exists ? Placing::NameTaken : Placing::Failed;
    });
}

// How much of the log's end is read for the lines of operations a stopped program left: the
// line of such an operation is among the last written before the kill, even with several
// programs writing.
constexpr std::size_t kRecentLogBytes = std::size_t{256} * 1024;

class Recovery {
public:
    Recovery(ActivityLog& log, const MessageSink& say)
        : log_(log), say_(say), recent_(RecentActivity(log.path(), kRecentLogBytes)) {}

    // False when something of ours is left that a later start must deal with.
    bool settle(const JournalRecord& record) {
        moved_ = false;
        return settleOperation(record) && settleKept(record);
    }

    std::vector<std::string> takeSortAgain() { return std::move(sortAgain_); }

private:
    bool settleOperation(const JournalRecord& record) {
        if (!removeOurs(platform::CopyPath(record)) || !removeOurs(platform::LinkPath(record)))
            return unsettled(record, platform::CopyPath(record));
        const std::string claim = platform::ClaimPath(record);
        const auto claimed = IdentifyFile(claim);
        // The operation ended and its line was written; only its record was left.
        if (const ActivityEntry* line = claimed ? nullptr : alreadyLogged(record)) {
            moved_ = record.kind != JournalKind::Copy && !line->failed;
            return true;
        }
        if (record.kind == JournalKind::Copy) {
            const bool done = asRecorded(IdentifyFile(record.destination), record);
            logged(!done, "copy", record.source, record.destination);
            return true;
        }
        if (claimed)
            return settleClaim(record, claim, *claimed);
        const auto source = IdentifyFile(record.source);
        const bool copyThere = asRecorded(IdentifyFile(record.destination), record);
        if (record.kind == JournalKind::Move && asRecorded(source, record) &&
            WholeCopyAt(record.destination, record.source, *source)) {
            if (platform::DeleteFileEntry(record.source))
                return unsettled(record, record.source);
            logged(false, "move", record.source, record.destination);
        } else if (source && !(record.kind == JournalKind::Move && copyThere)) {
            logged(true, "move", record.source, record.destination);
        } else if (copyThere) {
            // A move's copy stands only while its source is taken, and a source written to
            // meanwhile has its name back only once that copy is gone: the source was removed,
            // and the copy is the file. Whatever has the source's name now is another file (one
            // that arrived since, or one of another folder that a link leads to by now).
            logged(false, "move", record.source, record.destination);
        }
        return true;
    }

    // The file a move was replacing, kept aside under a name of ours: gone with the move done,
    // back in its place where the move was not (where nothing, or the move's own copy, stands
    // now), or beside whatever else stands there now.
    bool settleKept(const JournalRecord& record) {
        const std::string kept = platform::KeptPath(record);
        const auto keptFile = IdentifyFile(kept);
        if (!keptFile)
            return true;
        const auto there = IdentifyFile(record.destination);
        const bool replaced =
            !there || there->device != keptFile->device || there->inode != keptFile->inode;
        if (moved_ || !replaced) {
            if (platform::DeleteFileEntry(kept))
                return unsettled(record, kept);
            return true;
        }
        // The move's own copy stands in the kept file's place while the source is still there:
        // the kept file takes its place back.
        if (asRecorded(there, record) && IdentifyFile(record.source) &&
            !platform::MoveFileReplacing(kept, record.destination))
            return true;
        return placeAtOrBeside(kept, record.destination) ? true : unsettled(record, kept);
    }

    // A source written to after it was copied (source, as it is now): the copy at the
    // destination, as the record describes it, is an older version, the move's own, and goes.
    // False when it could not be removed.
    static bool takeAwayStaleCopy(const JournalRecord& record, const FileIdentity& source) {
        if (record.kind != JournalKind::Move ||
            (source.size == record.size && source.modifiedNs == record.modifiedNs) ||
            !asRecorded(IdentifyFile(record.destination), record))
            return true;
        return !platform::DeleteFileEntry(record.destination);
    }

    bool settleClaim(const JournalRecord& record, const std::string& claim,
                     const FileIdentity& claimed) {
        // A source that a program has open for writing would have it write on into a removed
        // file: the move is given up, its copy taken away, as the move itself would have done.
        const bool written =
            record.kind != JournalKind::LinkMove && platform::ListedFileOpenForWriting(claim);
        // A link is placed before its source is taken: with the source taken, it stands.
        const bool placed = record.kind == JournalKind::LinkMove
                                ? IdentifyFile(record.destination).has_value()
                                : !written && WholeCopyAt(record.destination, claim, claimed);
        if (placed) {
            if (platform::DeleteFileEntry(claim))
                return unsettled(record, claim);
            logged(false, "move", record.source, record.destination);
            return true;
        }
        if (written && asRecorded(IdentifyFile(record.destination), record) &&
            platform::DeleteFileEntry(record.destination))
            return unsettled(record, record.destination);
        if (!takeAwayStaleCopy(record, claimed))
            return unsettled(record, record.destination);
        const auto back = placeAtOrBeside(claim, record.source);
        if (!back)
            return unsettled(record, claim);
        if (*back == record.source) {
            logged(true, "move", record.source, record.destination);
        } else {
            logged(false, "move", record.source, *back);
            sortAgain_.push_back(*back); // beside its old name, not where it belongs
        }
        return true;
    }

    // The line of the record's operation, when the log's end has it as its last about the source:
    // a success that left the very file now at the destination, or a failure, which changed
    // nothing (the source stands as it was and no copy of it was placed).
    const ActivityEntry* alreadyLogged(const JournalRecord& record) const {
        const char* action = record.kind == JournalKind::Copy ? "copy" : "move";
        const ActivityEntry* last = nullptr;
        for (const ActivityEntry& entry : recent_)
            if (!entry.undo && entry.action == action && entry.values.size() == 2 &&
                entry.values[0] == record.source)
                last = &entry;
        if (!last)
            return nullptr;
        const auto there = IdentifyFile(record.destination);
        const bool stands =
            !last->failed
                ? last->values[1] == record.destination && there && last->identity == there
                : asRecorded(IdentifyFile(record.source), record) && !asRecorded(there, record);
        return stands ? last : nullptr;
    }

    bool unsettled(const JournalRecord& record, const std::string& left) {
        say_("larchpost: " + left + " is left from an interrupted move of " + record.source +
             " and could not be set right; the next start tries again.");
        return false;
    }

    void logged(bool failed, const char* action, const std::string& from, const std::string& to) {
        ActivityEntry entry;
        entry.rule = kRecoveredRule;
        entry.failed = failed;
        entry.action = action;
        entry.values = {from, to};
        if (failed) {
            entry.reason = kEndedMidway;
            sortAgain_.push_back(from);
        } else {
            entry.identity = IdentifyFile(to);
        }
        moved_ = moved_ || (!failed && std::string_view(action) == "move");
        log_.append(std::move(entry));
    }

    ActivityLog& log_;
    const MessageSink& say_;
    std::vector<ActivityEntry> recent_;  // the end of the log as the start found it
    std::vector<std::string> sortAgain_; // the files whose operations were not done
    bool moved_ = false;                 // the record's move is done, as its line says
};

} // namespace

std::string MoveJournalPath() {
    const std::string state = platform::UserStateFolder();
    return state.empty() ? std::string() : state + "/Larchpost/moves-in-progress";
}

std::vector<std::string> RecoverInterruptedOperations(const std::string& journalPath,
                                                      ActivityLog& log, const MessageSink& say) {
    if (journalPath.empty()) {
        say("larchpost: there is no folder for the journal of moves; a move interrupted by a "
            "crash may leave a hidden .larchpost- file behind.");
        return {};
    }
    const platform::JournalStart start = platform::OpenMoveJournal(journalPath);
    if (start.problem)
        say("larchpost: the journal of moves " + *start.problem +
            "; a move interrupted by a crash may leave a hidden .larchpost- file behind.");
    std::vector<JournalRecord> stillOpen;
    std::vector<std::string> sortAgain;
    // Nearly every start finds nothing unfinished: the log's end is read only when there is.
    if (!start.unfinished.empty()) {
        Recovery recovery(log, say);
        for (const JournalRecord& record : start.unfinished)
            if (!recovery.settle(record))
                stillOpen.push_back(record);
        sortAgain = recovery.takeSortAgain();
    }
    platform::SettleUnfinishedRecords(stillOpen);
    return sortAgain;
}

std::vector<std::string> RecoverInterruptedOperations(const MessageSink& say) {
    ActivityLog log(ActivityLog::DefaultPath(), say);
    return RecoverInterruptedOperations(MoveJournalPath(), log, say);
}

} // namespace lp
