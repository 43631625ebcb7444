#pragma once
// The lines the program without a window prints for each file operation and launch, and the
// environment that prints them around the one that performs (or foresees) the operations. The
// format is fixed so that scripts can read it:
//   move "<source>" "<destination>"
//   copy "<source>" "<destination>"
//   delete "<path>"
//   launch "<program>" "<argument>" ...
//   trash "<path>"                                 (a delete that went to the trash)
//   undo move "<where it was>" "<where it came from>"
//   undo delete "<the copy removed>"
// every value in double quotes with \ and " inside it escaped by a backslash, a line break written
// \n, a carriage return \r and a tab \t (so one operation is always one line), every other
// control character (C0, DEL, C1) and every byte that is not part of valid UTF-8 written \xHH per
// byte, and an operation that failed printed as the same line after "failed ", followed by
// ` # reason="<why>"` when the reason is known.

#include "forwarding_environment.h"
#include "globals/quoted_value.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lp {

using LinePrinter = std::function<void(const std::string& line)>;

// An operation's line: the verb and its values quoted, after "undo " for an undo and after
// "failed " when it failed.
std::string OperationLine(bool failed, bool undo, std::string_view action,
                          const std::vector<std::string>& values);

// What follows a failed operation's line to say why: ` # reason="<why>"`; nothing when the
// reason is not known.
std::string ReasonPart(std::string_view reason);

// Whether the operation is a move to another name in the same folder: a rename, which the log
// writes as a move, shown as what it is.
bool RenamesInPlace(std::string_view action, const std::vector<std::string>& values);

// The verb of the line that says a retry stage in the activity log (never printed here):
//   retry "<path>"         an operation on the file failed; the rule takes it up there again
//   retry-hourly "<path>"  its retries have come to one an hour
//   give-up "<path>"       tried for a day: left alone until it changes
std::string_view RetryStageVerb(RetryStage stage);

// Performs every operation through inner and prints one line for each; a copy or move names
// the destination the file actually got. A retry stage is not printed: the lines are operations,
// the same in a real run and in a simulation, which has no later cycles to retry in.
class ReportingEnvironment : public ForwardingEnvironment {
public:
    ReportingEnvironment(CycleEnvironment& inner, LinePrinter print);

    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    bool deleteFile(const std::string& path) override;
    bool trashFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    void operationRefused(std::string_view verb, const std::string& path,
                          std::string_view reason) override;

private:
    // Prints a copy's or move's line with the path the file got, or the one it was meant for
    // when it failed; gives back placed.
    std::optional<std::string> transferred(std::string_view verb, const std::string& source,
                                           const std::string& destination,
                                           std::optional<std::string> placed);
    // Prints the operation's line, marked when it failed; gives back done.
    bool report(bool done, std::string_view verb, const std::vector<std::string>& values);

    LinePrinter print_;
};

} // namespace lp
