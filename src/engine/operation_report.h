#pragma once
// The lines the program without a window prints for each file operation and launch, and the
// environment that prints them around the one that performs (or foresees) the operations. The
// format is fixed so that scripts can read it:
//   move "<source>" "<destination>"
//   copy "<source>" "<destination>"
//   delete "<path>"
//   launch "<program>" "<argument>" ...
// every value in double quotes with \ and " inside it escaped by a backslash, a line break written
// \n, a carriage return \r and a tab \t (so one operation is always one line), every other
// control character (C0, DEL, C1) and every byte that is not part of valid UTF-8 written \xHH per
// byte, and an operation that failed printed as the same line after "failed ".

#include "cycle_environment.h"
#include "globals/quoted_value.h"

#include <functional>
#include <string>
#include <string_view>

namespace lp {

using LinePrinter = std::function<void(const std::string& line)>;

// Performs every operation through inner and prints one line for each.
class ReportingEnvironment : public CycleEnvironment {
public:
    ReportingEnvironment(CycleEnvironment& inner, LinePrinter print);

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override;
    bool fileInUse(const std::string& path) override;
    bool copyFile(const std::string& source, const std::string& destination) override;
    bool moveFile(const std::string& source, const std::string& destination) override;
    bool deleteFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    double today() override;

protected:
    // Prints the operation's line, marked when it failed; gives back done.
    bool report(bool done, const std::string& line);

    CycleEnvironment& inner_;
    LinePrinter print_;
};

} // namespace lp
