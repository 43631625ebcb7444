#pragma once
// Setting right, at start, what copies and moves across file systems left behind when a program
// was stopped part way (killed, or the power gone), before any folder is listed. The journal
// (see platform/move_journal.h) tells which names of ours they used and where each file belongs;
// afterwards each file stands once under a name the user knows, and no name of ours is left.

#include "activity_log.h"
#include "globals/message_sink.h"

#include <string>
#include <vector>

namespace lp {

// The rule name of the activity log's lines about what was set right.
inline constexpr const char* kRecoveredRule = "recovered at start";

// <user state folder>/Larchpost/moves-in-progress; empty when there is no user state folder.
std::string MoveJournalPath();

// Opens the journal at journalPath for this run's operations and deals with each operation that
// a stopped program left in it:
//   - its temporary copy or link is removed: the file it was made from is still there;
//   - a source taken from its name is removed when the destination holds a whole copy of it (the
//     same size, write time and bytes): the move is logged as done. Otherwise it gets its name
//     back ("failed move" logged) or, when a new file has that name meanwhile, the first free
//     numbered name beside it, "name (2).ext" (logged as a move to that name);
//   - a source still at its name beside a whole copy of it at the destination (a move whose
//     source was about to go) is removed, and the move logged as done;
//   - a copy or move that had finished, or had not yet touched anything, is logged as such.
// What cannot be set right now stays in the journal for the next start, and is said through say.
// Gives back the files whose operation was stopped before it was done (each now at its old name
// or a numbered one beside it): they are to count as new after the first listing, so that they
// are sorted after all rather than taken for files that were there.
std::vector<std::string> RecoverInterruptedOperations(const std::string& journalPath,
                                                      ActivityLog& log, const MessageSink& say);

// The above with the user's own journal and activity log, as both programs start.
std::vector<std::string> RecoverInterruptedOperations(const MessageSink& say);

} // namespace lp
