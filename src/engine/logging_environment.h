#pragma once
// The environment that writes each operation a cycle carries out into the activity log, with the
// folder and rule it was done for.

#include "activity_log.h"
#include "forwarding_environment.h"

namespace lp {

// Performs every operation through inner and appends an entry for each to log; a copy or move
// that succeeded is logged with the path the file got and the identity of the file there.
class LoggingEnvironment : public ForwardingEnvironment {
public:
    LoggingEnvironment(CycleEnvironment& inner, ActivityLog& log);

    void actFor(const std::string& folder, const std::string& rule) override;
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> makeFolders(const std::string& fixedFolder,
                                           const std::vector<std::string>& below,
                                           std::vector<std::string>& made) override;
    bool deleteFile(const std::string& path) override;
    bool trashFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    void operationRefused(std::string_view verb, const std::string& path,
                          std::string_view reason) override;
    void retryStage(RetryStage stage, const std::string& path) override;

private:
    std::optional<std::string> transferred(std::string action, const std::string& source,
                                           const std::string& destination,
                                           std::optional<std::string> placed);
    bool logged(bool done, std::string action, std::vector<std::string> values);

    ActivityLog& log_;
    std::string folder_, rule_;
    // The folder the last makeFolders came to and how many folders it made there, for the entry
    // of the copy or move that follows it.
    std::string madeFor_;
    std::int32_t madeCount_ = 0;
};

} // namespace lp
