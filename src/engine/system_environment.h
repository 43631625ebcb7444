#pragma once
// The cycle's environment on the real disk, clock and processes.

#include "cycle_environment.h"

#include <memory>
#include <unordered_map>

namespace lp {

class SystemEnvironment : public CycleEnvironment {
public:
    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override;
    bool listFolderInto(const std::string& folder, bool withDetails,
                        std::vector<platform::FolderEntry>& entries) override;
    bool listNamesInto(const std::string& folder, std::vector<std::string>& names) override;
    platform::FolderObserver* folderObserver() override;
    bool fileInUse(const std::string& path) override;
    bool copyFile(const std::string& source, const std::string& destination) override;
    bool moveFile(const std::string& source, const std::string& destination) override;
    bool deleteFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    double today() override;

private:
    std::unique_ptr<platform::FolderObserver> observer_; // opened on first use
    // Each folder's count at its last listing, so that the next one is allocated once.
    std::unordered_map<std::string, std::size_t> lastCounts_;
};

} // namespace lp
