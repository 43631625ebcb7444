#pragma once
// The environment that writes each operation a cycle carries out into the activity log, with the
// folder and rule it was done for.

#include "activity_log.h"
#include "cycle_environment.h"

namespace lp {

// Performs every operation through inner and appends an entry for each to log; a copy or move
// that succeeded is logged with the path the file got and the identity of the file there.
class LoggingEnvironment : public CycleEnvironment {
public:
    LoggingEnvironment(CycleEnvironment& inner, ActivityLog& log);

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override;
    bool listFolderInto(const std::string& folder, bool withDetails,
                        std::vector<platform::FolderEntry>& entries) override;
    bool listNamesInto(const std::string& folder, std::vector<std::string>& names) override;
    platform::FolderObserver* folderObserver() override;
    bool fileInUse(const std::string& path) override;
    void actFor(const std::string& folder, const std::string& rule) override;
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<platform::FileIdentity> placedIdentity(const std::string& path) override;
    bool deleteFile(const std::string& path) override;
    bool trashFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    void retryStage(RetryStage stage, const std::string& path) override;
    std::string failureReason() override;
    double today() override;
    std::chrono::steady_clock::time_point now() override;

private:
    std::optional<std::string> transferred(std::string action, const std::string& source,
                                           const std::string& destination,
                                           std::optional<std::string> placed);
    bool logged(bool done, std::string action, std::vector<std::string> values);

    CycleEnvironment& inner_;
    ActivityLog& log_;
    std::string folder_, rule_;
};

} // namespace lp
