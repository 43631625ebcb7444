#pragma once
// The cycle's environment on the real disk, clock and processes.

#include "absent_drive.h"
#include "cycle_environment.h"

#include <functional>
#include <memory>
#include <system_error>
#include <unordered_map>

namespace lp {

// Moves a file to the desktop's trash (platform::MoveToTrash), or tells, changing nothing, why it
// would not (platform::ForeseeTrashRefusal); nothing means done, or foreseen to be done.
using TrashMover = std::function<std::error_code(const std::string& path)>;

class SystemEnvironment : public CycleEnvironment {
public:
    // Without a trash, a delete meant for the trash fails and the file stays.
    explicit SystemEnvironment(TrashMover trash = {});

    std::optional<std::vector<platform::FolderEntry>> listFolder(const std::string& folder,
                                                                 bool withDetails) override;
    bool listFolderInto(const std::string& folder, bool withDetails,
                        std::vector<platform::FolderEntry>& entries) override;
    bool listNamesInto(const std::string& folder, std::vector<std::string>& names) override;
    platform::FolderObserver* folderObserver() override;
    bool fileInUse(const std::string& path, bool listedAsPlainFile) override;
    void actFor(const std::string& folder, const std::string& rule) override;
    std::optional<std::string> copyFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<std::string> moveFile(const std::string& source, const std::string& destination,
                                        NameClash clash) override;
    std::optional<platform::FileIdentity> placedIdentity(const std::string& path) override;
    std::optional<platform::FileIdentity> identityNow(const std::string& path) override;
    std::optional<std::string> makeFolders(const std::string& fixedFolder,
                                           const std::vector<std::string>& below,
                                           std::vector<std::string>& made) override;
    std::optional<platform::HeldFolder> holdFolder(const std::string& top,
                                                   std::string_view below) override;
    void removeMadeFolders(const std::vector<std::string>& made) override;
    void reachThrough(const std::string& folder, const std::string& heldPath) override;
    bool copyStands(const std::string& source, const std::string& destination) override;
    bool deleteFile(const std::string& path) override;
    bool trashFile(const std::string& path) override;
    bool launch(const std::string& program, const std::vector<std::string>& arguments) override;
    void retryStage(RetryStage stage, const std::string& path) override;
    std::string failureReason() override;
    double today() override;
    std::chrono::steady_clock::time_point now() override;

private:
    // Whether the operation was done; remembers why not.
    bool done(std::error_code error);
    std::optional<std::string> placed(std::optional<std::string> path, std::error_code error,
                                      const std::string& source, const std::string& destination,
                                      NameClash clash);

    std::unique_ptr<platform::FolderObserver> observer_; // opened on first use
    // Each folder's count at its last listing, so that the next one is allocated once.
    std::unordered_map<std::string, std::size_t> lastCounts_;
    TrashMover trash_;
    std::string reason_; // why the operation that failed last did
    // The file the last move placed, as the move knew it: a rename keeps what identifies the
    // file, so it need not be looked at again.
    std::string movedTo_;
    std::optional<platform::FileIdentity> moved_;
    // The files the current rule copied, as their copies have them (a copy keeps the size and
    // last-write time): a delete of one of them after the copy needs it unchanged.
    std::unordered_map<std::string, platform::FileIdentity> copied_;
    bool changedSinceCopied(const std::string& path);
    // A destination folder that is an unplugged drive's mount point fails the file, which stays.
    bool destinationAwaitsDrive(const std::string& destination);
    AbsentDriveCheck absentDrives_;
    // A path as the operations reach it: through the held folder it lies in, if any.
    std::string reached(const std::string& path) const;
    std::vector<std::pair<std::string, std::string>> heldFolders_; // folder, its held path
};

} // namespace lp
